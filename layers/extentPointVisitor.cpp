#include "layers/extentPointVisitor.h"

#include "layers/DBPoint.h"

#include <utility>

namespace {
ExtentGrid::Box pointBox(const CPPoint& point) {
    return {point.x, point.y, point.x, point.y};
}
} // namespace

extentPointVisitor::extentPointVisitor(osgEarth::GeoExtent extent_, ExtentLookup lookup_)
    : extent(std::move(extent_)), lookup(lookup_) {}

void extentPointVisitor::apply(DBPoint& category) {
    const ExtentGrid::Box tile{extent.xMin(), extent.yMin(), extent.xMax(), extent.yMax()};
    auto inside = [&tile](const CPPoint& point) {
        return tile.xMin <= point.x && point.x < tile.xMax && tile.yMin < point.y && point.y <= tile.yMax;
    };
    category.recordGrid().select(category.getRecords(), &pointBox, tile, lookup == ExtentLookup::Indexed,
                                 inside, result);
}
