// The names of the tiles: written by the graph into its paged nodes, read back by the
// loader when the pager asks for them. Kept apart from both so the names can be checked
// without a graph.
#include "paging/CZEMPipeGraph.h"
#include "paging/ZEMPipePseudoLoader.h"

#include <cctype>
#include <cstdlib>

namespace {

// A run of decimal digits that fits an unsigned; `at` moves past it.
bool readNumber(const std::string& text, size_t& at, unsigned& value) {
    size_t start = at;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])))
        ++at;
    if (at == start || at - start > 9)
        return false;
    value = static_cast<unsigned>(std::strtoul(text.c_str() + start, nullptr, 10));
    return true;
}

bool expect(const std::string& text, size_t& at, char c) {
    if (at >= text.size() || text[at] != c)
        return false;
    ++at;
    return true;
}

} // namespace

std::string CZEMPipeGraph::tileName(unsigned id, unsigned level, unsigned x, unsigned y) {
    return std::to_string(id) + "." + std::to_string(level) + "_" + std::to_string(x) + "_" +
           std::to_string(y) + ".pipe_pseudo_zem";
}

bool ZEMPipePseudoLoader::parseTileName(const std::string& name, unsigned& id, unsigned& level, unsigned& x,
                                        unsigned& y) {
    size_t at = 0;
    return readNumber(name, at, id) && expect(name, at, '.') && readNumber(name, at, level) &&
           expect(name, at, '_') && readNumber(name, at, x) && expect(name, at, '_') &&
           readNumber(name, at, y) && expect(name, at, '.') && at < name.size();
}
