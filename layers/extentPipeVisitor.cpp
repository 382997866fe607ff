#include "layers/extentPipeVisitor.h"

#include "layers/DBPipe.h"

#include <algorithm>
#include <utility>

ExtentGrid::Box extentPipeVisitor::segmentBox(const CPPipeLine& segment) {
    return {std::min(segment.startX, segment.endX), std::min(segment.startY, segment.endY),
            std::max(segment.startX, segment.endX), std::max(segment.startY, segment.endY)};
}

bool extentPipeVisitor::meets(const ExtentGrid::Box& tile, const CPPipeLine& segment) {
    ExtentGrid::Box box = segmentBox(segment);
    bool outside =
        box.xMin > tile.xMax || tile.xMin > box.xMax || box.yMin > tile.yMax || tile.yMin > box.yMax;
    return !outside;
}

extentPipeVisitor::extentPipeVisitor(osgEarth::GeoExtent extent_, ExtentLookup lookup_)
    : extent(std::move(extent_)), lookup(lookup_) {}

void extentPipeVisitor::apply(DBPipe& layer) {
    const ExtentGrid::Box tile{extent.xMin(), extent.yMin(), extent.xMax(), extent.yMax()};
    layer.segmentGrid().select(
        layer.segments(), &segmentBox, tile, lookup == ExtentLookup::Indexed,
        [&tile](const CPPipeLine& segment) { return meets(tile, segment); }, result);
}
