#pragma once

#include <string>

class QString;

// The program holds Chinese text (column names, kind and category names, paths,
// messages) as GBK bytes. Every crossing between Qt's QString and a byte string goes
// through these two, never through QString's own (UTF-8) conversions.
QString gbkToQString(const std::string& gbk);
std::string qstringToGbk(const QString& text);

// Byte strings of the program and UTF-8 text of the outside world (files, terminals).
std::string gbkToUtf8(const std::string& gbk);
std::string utf8ToGbk(const std::string& utf8);
