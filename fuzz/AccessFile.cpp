// An Access database file, read by mdbtools into the in-memory SQLite mirror the loaders
// query: any file must give a mirror or a failure with its reason.
#include "FuzzCheck.h"

#include "database/AccessMirror.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
std::string inputPath() {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz-access-" + std::to_string(::getpid()) + ".mdb";
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = inputPath();
    static long long run = 0;
    FILE* file = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(file);
    FUZZ_CHECK(std::fwrite(data, 1, size, file) == size);
    std::fclose(file);
    // Each input is another version of the file: a time of its own, so no mirror of an
    // earlier input is taken for it.
    ++run;
    const timespec times[2] = {{run, 0}, {run, 0}};
    FUZZ_CHECK(::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0);

    std::string uri, error;
    if (AccessMirror::attach(path, uri, error))
        FUZZ_CHECK(!uri.empty());
    else
        FUZZ_CHECK(!error.empty());
    return 0;
}
