// The section size of a segment (断面尺寸): "400" a round pipe, "800X600" a box culvert, read
// for the pipe body, the fittings' stubs and the cross-section.
#include "FuzzCheck.h"

#include "network/PipeSection.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const PipeSection section = PipeSection::parse(text);
    const double first = PipeSection::firstFigure(text);
    const auto crosses = std::count(text.begin(), text.end(), 'X');
    for (double figure : {section.diameter, section.width, section.height, first})
        FUZZ_CHECK(std::abs(figure) <= 1e6);
    switch (section.shape) {
    case PipeSection::Shape::Round:
        FUZZ_CHECK(crosses == 0 && !text.empty() && section.diameter == first);
        break;
    case PipeSection::Shape::Rectangular:
        FUZZ_CHECK(crosses == 1 && section.width == first);
        break;
    case PipeSection::Shape::None:
        FUZZ_CHECK((crosses > 1 || text.empty()) && section.diameter == 0.0 && section.width == 0.0 &&
                   section.height == 0.0);
        break;
    }
    // The bodies are built in single-precision metres (layers/DBPipe.cpp, modeling/).
    for (double millimetres : {section.diameter, section.width, section.height, 1.1 * first})
        FUZZ_CHECK(std::isfinite(static_cast<float>(millimetres / 1000.0)));
    return 0;
}
