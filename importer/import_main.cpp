// pn_import: copies a network database into a PostgreSQL server or an indexed SQLite file.

#include "importer/NetworkImport.h"
#include "text/GbkText.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

// On stdout with status 0 when asked for (--help), on stderr with status 2 otherwise.
int usage(const char* program, bool asked = false) {
    std::fprintf(asked ? stdout : stderr,
                 "usage: %s SOURCE --to TARGET [--batch N]\n"
                 "  SOURCE: an Access (.mdb, .accdb) or SQLite (.sqlite, .db, .gpkg) network file,\n"
                 "          a postgresql:// address, or a pipe.xml whose conn str names one\n"
                 "  TARGET: postgresql://user@host:port/dbname (the password from PGPASSFILE or\n"
                 "          ~/.pgpass), or an SQLite file, made when missing\n"
                 "  --batch N: rows per INSERT (default 5000)\n"
                 "  Each kind's point and line tables are replaced in one transaction; a kind that\n"
                 "  fails keeps the target's old tables (exit status 1). At the end, the conn\n"
                 "  element of a pipe.xml that names the target.\n",
                 program);
    return asked ? 0 : 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ImportOptions options;
    bool haveSource = false, haveTarget = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h"))
            return usage(argv[0], true);
        if (!std::strcmp(argv[i], "--to") && i + 1 < argc && !haveTarget) {
            options.target = utf8ToGbk(argv[++i]);
            haveTarget = !options.target.empty();
        } else if (!std::strcmp(argv[i], "--batch") && i + 1 < argc) {
            char* end = nullptr;
            const long batch = std::strtol(argv[++i], &end, 10);
            if (*argv[i] == '\0' || *end != '\0' || batch < 1 || batch > 1000000)
                return usage(argv[0]);
            options.batch = static_cast<int>(batch);
        } else if (argv[i][0] != '-' && !haveSource) {
            options.source = utf8ToGbk(argv[i]);
            haveSource = !options.source.empty();
        } else {
            return usage(argv[0]);
        }
    }
    if (!haveSource || !haveTarget)
        return usage(argv[0]);
    return importNetwork(options, std::cout, std::cerr);
}
