#include "layers/extentPipeVisitor.h"

#include "layers/DBPipe.h"

#include <algorithm>
#include <utility>

ExtentGrid::Box extentPipeVisitor::segmentBox(const CPPipeLine& segment) {
    return {std::min(segment.startX, segment.endX), std::min(segment.startY, segment.endY),
            std::max(segment.startX, segment.endX), std::max(segment.startY, segment.endY)};
}

extentPipeVisitor::extentPipeVisitor(osgEarth::GeoExtent extent_, ExtentLookup lookup_)
    : extent(std::move(extent_)), lookup(lookup_) {}

void extentPipeVisitor::apply(DBPipe& layer) {
    const ExtentGrid::Box tile{extent.xMin(), extent.yMin(), extent.xMax(), extent.yMax()};
    auto meets = [&tile](const CPPipeLine& segment) {
        ExtentGrid::Box box = segmentBox(segment);
        bool outside =
            box.xMin > tile.xMax || tile.xMin > box.xMax || box.yMin > tile.yMax || tile.yMin > box.yMax;
        return !outside;
    };
    layer.segmentGrid().select(layer.segments(), &segmentBox, tile, lookup == ExtentLookup::Indexed, meets,
                               result);
}
