#pragma once

#include <string>

// Access files off Windows: every user table of the file is read into a private in-memory
// SQLite database with the same table and column names (text stays text, numbers stay
// numbers, NULL stays NULL), so the loaders' SQL runs on it unchanged.
//
// mdbtools, which reads the file, trusts it: it runs in a process of its own,
// pn_access_reader (found beside this module, else beside the program), which writes a
// temporary SQLite file that is then copied into memory. A reader that crashes, fails or
// outlasts its time (30 s and 1 s per MiB of the file; PN_ACCESS_READER_SECONDS sets
// another) fails the open with the reason; nothing else is lost.
//
// Each kind's points and segments are loaded separately, about thirty opens per start:
// a mirror is kept per file and reused while the file's size, time and inode are
// unchanged. A failed read is not kept, so the next open tries again.
class AccessMirror {
public:
    // The SQLite URI of the mirror of the Access file at path (GBK), for QSQLITE with
    // QSQLITE_OPEN_URI. False with a message (GBK) naming the fault when the file cannot be
    // read as an Access database. Mirrors are made one at a time.
    static bool attach(const std::string& path, std::string& uri, std::string& error);
};
