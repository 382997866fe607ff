// An Access database file, read by mdbtools into SQLite for the loaders to query: any
// file must give its tables or a failure with its reason. Where the reader is the
// function the reader program runs (database/AccessReader.h), that function is fuzzed in
// this process; otherwise the in-process mirror (database/AccessMirror.h).
#include "FuzzCheck.h"

#ifdef PN_ACCESS_READER
#include "database/AccessReader.h"
#else
#include "database/AccessMirror.h"
#endif

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
std::string scratchPath(const char* suffix) {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz-access-" + std::to_string(::getpid()) + suffix;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = scratchPath(".mdb");
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

    std::string error;
#ifdef PN_ACCESS_READER
    static const std::string copy = scratchPath(".sqlite");
    std::remove(copy.c_str());
    if (!readAccessIntoSqlite(path.c_str(), copy.c_str(), error))
        FUZZ_CHECK(!error.empty());
#else
    std::string uri;
    if (AccessMirror::attach(path, uri, error))
        FUZZ_CHECK(!uri.empty());
    else
        FUZZ_CHECK(!error.empty());
#endif
    return 0;
}
