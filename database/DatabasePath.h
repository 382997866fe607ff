#pragma once

#include <string>

// The network database's path from "pipe.xml" in the working directory: the value
// "str" of "conn" inside "pipeline" (a child element or an attribute), as GBK bytes.
// Empty when the file has no "pipeline" element. Throws std::runtime_error with the
// GBK message "找不到管网配置文件，请检查!" when the file is missing or does not parse.
std::string readDatabasePath();
