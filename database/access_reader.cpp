// Reads one Access file into a SQLite file, for the plug-in, which runs it as a process of
// its own: mdbtools trusts the file it reads, and a damaged one must not take the viewer
// down with it.
//
// Status 0: every user table was copied. 1: the file cannot be read; one line on
// standard error, "pn_access_reader: " and the reason (GBK). 2: wrong usage, nothing written.

#include "database/AccessReader.h"

#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
// On stdout with status 0 when asked for (--help), on stderr with status 2 otherwise.
int usage(const char* program, bool asked = false) {
    std::fprintf(asked ? stdout : stderr,
                 "usage: %s ACCESS_FILE SQLITE_FILE\n"
                 "  copies every user table of the Access (.mdb/.accdb) file into the SQLite file\n"
                 "  (new or empty), with the same table and column names\n",
                 program);
    return asked ? 0 : 2;
}
} // namespace

int main(int argc, char** argv) {
    const char* files[2] = {};
    int given = 0;
    bool options = true; // until "--": what follows it are file names, whatever they start with
    for (int i = 1; i < argc; ++i) {
        if (options && (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")))
            return usage(argv[0], true);
        if (options && !std::strcmp(argv[i], "--"))
            options = false;
        else if ((options && argv[i][0] == '-') || given == 2)
            return usage(argv[0]);
        else
            files[given++] = argv[i];
    }
    if (given != 2)
        return usage(argv[0]);
    // Started by the plug-in: ends with it, also when it ends without unwinding (a headless
    // run's quick exit), instead of reading on for nobody.
    if (const char* parent = std::getenv(accessReaderParentVariable)) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (std::to_string(::getppid()) != parent)
            return 1; // it has ended already
    }
    std::string error;
    if (readAccessIntoSqlite(files[0], files[1], error))
        return 0;
    std::fprintf(stderr, "pn_access_reader: %s\n", error.c_str());
    return 1;
}
