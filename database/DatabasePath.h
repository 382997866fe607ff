#pragma once

#include <string>

// The network database's path from "pipe.xml" in the working directory: the value
// "str" of "conn" inside "pipeline" (a child element or an attribute), as GBK bytes.
// Empty when the file has no "pipeline" element. Throws std::runtime_error with the
// GBK message "找不到管网配置文件，请检查!" when the file is missing, not a regular file
// or does not parse, and with "pipe.xml: <reason>" when it is past the limits of
// text/XmlBounds.h. The file is parsed once per version (device, inode, size, mtime):
// every open of the database reads it, so the answer is kept until the file changes.
std::string readDatabasePath();

// The database path named by the text of a pipe.xml, as readDatabasePath finds it; empty
// with the reason readDatabasePath would throw in `error` when the text has none to give.
std::string databasePathIn(const std::string& bytes, std::string& error);

// How many times readDatabasePath parsed the file since the process began.
unsigned databasePathParses();
