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
    category.recordGrid().select(
        category.getRecords(), &pointBox, tile, lookup == ExtentLookup::Indexed,
        [&tile](const CPPoint& point) { return inside(tile, point); }, result);
}
