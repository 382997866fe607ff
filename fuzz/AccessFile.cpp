// An Access database file, read by mdbtools into SQLite for the loaders to query: any
// file must give its tables or a failure with its reason. The function the reader program
// runs is fuzzed here, in this process.
#include "FuzzCheck.h"

#include "database/AccessReader.h"

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
    FILE* file = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(file);
    FUZZ_CHECK(std::fwrite(data, 1, size, file) == size);
    std::fclose(file);
    std::string error;
    static const std::string copy = scratchPath(".sqlite");
    std::remove(copy.c_str());
    if (!readAccessIntoSqlite(path.c_str(), copy.c_str(), error))
        FUZZ_CHECK(!error.empty());
    return 0;
}
