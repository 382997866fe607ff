#pragma once

#include <string>

// Access files off Windows: mdbtools reads every user table of the file into a private
// in-memory SQLite database with the same table and column names (text stays text,
// numbers stay numbers, NULL stays NULL), so the loaders' SQL runs on it unchanged.
//
// Each kind's points and segments are loaded separately, about thirty opens per start:
// a mirror is kept per file and reused while the file's size, time and inode are
// unchanged. A failed read is not kept, so the next open tries again.
class AccessMirror {
public:
    // The SQLite URI of the mirror of the Access file at path (GBK), for QSQLITE with
    // QSQLITE_OPEN_URI. False with a message (GBK) naming the fault when the file cannot be
    // read as an Access database.
    static bool attach(const std::string& path, std::string& uri, std::string& error);
};
