#include "text/Number.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace {

bool blank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Reads the number at `first`: its end, or null where no decimal number starts (from_chars
// alone would also take "inf", "nan" and hexadecimal digits after "0x" is not written).
const char* readDecimal(const char* first, const char* last, double& value) {
    bool negative = first != last && *first == '-';
    if (first != last && (*first == '+' || *first == '-'))
        ++first;
    const char* digit = first != last && *first == '.' ? first + 1 : first;
    if (digit == last || !std::isdigit(static_cast<unsigned char>(*digit)))
        return nullptr;
    std::from_chars_result read = std::from_chars(first, last, value, std::chars_format::general);
    if (read.ec == std::errc::result_out_of_range) {
        value = HUGE_VAL; // a magnitude no double holds: refused as not finite
    } else if (read.ec != std::errc()) {
        return nullptr;
    }
    if (negative)
        value = -value;
    return read.ptr;
}

} // namespace

bool parseDecimal(std::string_view text, double& value) {
    text = trimmed(text);
    double read = 0.0;
    const char* end = readDecimal(text.data(), text.data() + text.size(), read);
    if (end != text.data() + text.size() || !end || !std::isfinite(read))
        return false;
    value = read;
    return true;
}

bool leadingDecimal(std::string_view text, double& value) {
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    value = 0.0;
    if (!readDecimal(text.data(), text.data() + text.size(), value)) {
        value = 0.0;
        return true;
    }
    if (!std::isfinite(value)) {
        value = 0.0;
        return false;
    }
    return true;
}

bool parseWhole(std::string_view text, int& value) {
    text = trimmed(text);
    // One sign at most: from_chars takes a '-' but no '+', and "+-2" is no number.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-')
        text.remove_prefix(1);
    int read = 0;
    std::from_chars_result result = std::from_chars(text.data(), text.data() + text.size(), read);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return false;
    value = read;
    return true;
}

std::string formatDecimal(double value) {
    char buffer[32];
    std::to_chars_result written = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, written.ptr);
}
