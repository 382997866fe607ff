#include "section/NetworkPipe.h"

#include "network/RecordLoader.h"
#include "network/UtilityKind.h"

bool NetworkPipe::readAll(std::vector<NetworkPipe>& out, std::string& problems) {
    std::size_t readKinds = 0;
    for (std::size_t k = 0; k < KindCount; ++k) {
        const UtilityKind& kind = UtilityKinds[k];
        std::list<CPPipeLine> rows;
        if (!loadSegmentRows(segmentQuery(kind.lineTable, kind.pointTable), kind.layerName, 0, rows)) {
            problems += std::string(kind.layerName) + ": not read\n";
            continue;
        }
        ++readKinds;
        for (const CPPipeLine& row : rows) {
            NetworkPipe pipe;
            pipe.kind = static_cast<int>(k);
            pipe.gid = row.gid;
            pipe.startNumber = row.startNumber;
            pipe.endNumber = row.endNumber;
            pipe.material = row.material;
            pipe.sectionSize = row.sectionSize;
            pipe.startX = row.startX, pipe.startY = row.startY, pipe.startDepth = row.startDepth;
            pipe.endX = row.endX, pipe.endY = row.endY, pipe.endDepth = row.endDepth;
            out.push_back(std::move(pipe));
        }
    }
    return readKinds > 0;
}
