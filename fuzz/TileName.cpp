// The names the pager asks the tile loader for: "id.level_column_row.pipe_pseudo_zem".
#include "FuzzCheck.h"

#include "paging/CZEMPipeGraph.h"
#include "paging/ZEMPipePseudoLoader.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string name(reinterpret_cast<const char*>(data), size);
    unsigned id = 0, level = 0, x = 0, y = 0;
    if (!ZEMPipePseudoLoader::parseTileName(name, id, level, x, y))
        return 0;
    // Each number is at most nine digits; the name the graph writes for them reads back
    // as the same tile.
    for (unsigned n : {id, level, x, y})
        FUZZ_CHECK(n <= 999999999u);
    const std::string written = CZEMPipeGraph::tileName(id, level, x, y);
    unsigned id2 = 0, level2 = 0, x2 = 0, y2 = 0;
    FUZZ_CHECK(ZEMPipePseudoLoader::parseTileName(written, id2, level2, x2, y2));
    FUZZ_CHECK(id2 == id && level2 == level && x2 == x && y2 == y);
    return 0;
}
