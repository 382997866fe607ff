#include "modeling/PipeSection.h"

#include "Torvik/Torvik.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <vector>

double leadingNumber(const std::string& text) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin != end && std::isspace(static_cast<unsigned char>(*begin)))
        ++begin;
    bool negative = begin != end && *begin == '-';
    if (begin != end && (*begin == '+' || *begin == '-'))
        ++begin;
    const char* digits = begin != end && *begin == '.' ? begin + 1 : begin;
    if (digits == end || !std::isdigit(static_cast<unsigned char>(*digits)))
        return 0.0;
    double value = 0.0;
    std::from_chars_result read = std::from_chars(begin, end, value, std::chars_format::general);
    // Out of range: a number too long for a double is no size a pipe has.
    if (read.ec != std::errc() || !std::isfinite(value))
        return 0.0;
    return negative ? -value : value;
}

PipeSection PipeSection::parse(const std::string& text) {
    PipeSection section;
    std::vector<std::string> parts = Torvik::splitStr(text, "X");
    if (parts.size() == 1) {
        section.shape = Shape::Round;
        section.diameter = leadingNumber(parts[0]);
    } else if (parts.size() == 2) {
        section.shape = Shape::Rectangular;
        section.width = leadingNumber(parts[0]);
        section.height = leadingNumber(parts[1]);
    }
    return section;
}
