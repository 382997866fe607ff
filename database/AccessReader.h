#pragma once

#include <string>

// Reads every user table of the Access file at accessPath (native) into the SQLite file
// at sqlitePath (native; an empty or missing file), with the same table and column names:
// text stays text, numbers stay numbers, NULL stays NULL. The pages of the file are
// checked before mdbtools, which trusts them, is let at them; a file that fails a check
// or cannot be read whole gives false and a one-line message (GBK) naming the fault.
//
// mdbtools may still crash on a damaged file the checks let through: the program runs
// this in a process of its own (pn_access_reader).
bool readAccessIntoSqlite(const char* accessPath, const char* sqlitePath, std::string& error);

// Set by the plug-in in the reader's environment to its own process id: the reader then
// ends when that process does, however it ends.
constexpr const char* accessReaderParentVariable = "PN_ACCESS_READER_PARENT";
