#include "network/PipeSection.h"

#include "Torvik/Torvik.h"
#include "text/Number.h"

#include <vector>

double leadingNumber(const std::string& text) {
    // Out of range or not finite: a number too long for a double is no size a pipe has.
    double value = 0.0;
    return leadingDecimal(text, value) ? value : 0.0;
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
