#include "network/PipeSection.h"

#include "Torvik/Torvik.h"
#include "text/Number.h"

#include <cmath>
#include <vector>

double leadingNumber(const std::string& text) {
    // Out of range or not finite: a number too long for a double is no size a pipe has.
    double value = 0.0;
    return leadingDecimal(text, value) ? value : 0.0;
}

namespace {
// No pipe is a kilometre across: a larger figure (a slip of the keyboard) reads 0 like a
// number out of range, before it could reach the scene's single-precision sizes as one.
constexpr double largestFigure = 1e6;

double figure(const std::string& text) {
    const double value = leadingNumber(text);
    return std::abs(value) <= largestFigure ? value : 0.0;
}
} // namespace

PipeSection PipeSection::parse(const std::string& text) {
    PipeSection section;
    std::vector<std::string> parts = Torvik::splitStr(text, "X");
    if (parts.size() == 1) {
        section.shape = Shape::Round;
        section.diameter = figure(parts[0]);
    } else if (parts.size() == 2) {
        section.shape = Shape::Rectangular;
        section.width = figure(parts[0]);
        section.height = figure(parts[1]);
    }
    return section;
}

double PipeSection::firstFigure(const std::string& text) {
    std::vector<std::string> parts = Torvik::splitStr(text, "X");
    return parts.empty() ? 0.0 : figure(parts.front());
}
