#pragma once

#include <string>
#include <string_view>

// Numbers written in text (options, messages, section sizes, pipe.xml, scripts) are read by
// the C locale's rules, whatever locale the process runs in: Qt's application object switches
// the C library to the user's locale, where strtod, atof and sscanf stop at the '.' of
// "21.5". These never do. Values that are not finite (inf, nan, 1e999) are refused: no
// size, position or count of this program is infinite.

// The whole of `text` (blanks around it allowed) as a decimal number: an optional sign,
// digits with an optional '.', an optional exponent. False, with `value` untouched, for
// anything else.
bool parseDecimal(std::string_view text, double& value);

// The number at the start of `text`, as atof reads it: leading blanks skipped, what follows
// the number ignored, 0 where no number starts. False (with `value` 0) only when a number
// starts there but is out of range or not finite.
bool leadingDecimal(std::string_view text, double& value);

// The whole of `text` (blanks around it allowed) as a whole number of an int's range.
bool parseWhole(std::string_view text, int& value);

// `value` in the same notation, with the fewest digits that read back as the same double.
std::string formatDecimal(double value);
