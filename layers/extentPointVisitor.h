#pragma once

#include "layers/PointVisitor.h"
#include "modeling/ExtentGrid.h"
#include "modeling/ExtentLookup.h"
#include "network/CPPoint.h"

#include "geo/GeoExtent.h"

#include <vector>

// Collects the points of the visited categories that lie in a tile's extent, in record
// order, as the addresses of the kinds' loaded points. Tiles share their edges, and a
// point on a shared edge must be drawn by exactly one of them: the extent is closed on
// its west and north edges and open on its east and south ones (xMin <= X < xMax,
// yMin < Y <= yMax). The paged graph widens its easternmost and southernmost tiles by
// the smallest step, which closes the graph's own outer edges.
class extentPointVisitor : public PointVisitor {
public:
    explicit extentPointVisitor(osgEarth::GeoExtent extent, ExtentLookup lookup = defaultExtentLookup());

    void apply(DBPoint& category) override;
    // Whether the point lies in `tile` by the rule above.
    static bool inside(const ExtentGrid::Box& tile, const CPPoint& point) {
        return tile.xMin <= point.x && point.x < tile.xMax && tile.yMin < point.y && point.y <= tile.yMax;
    }
    const std::vector<const CPPoint*>& getResult() const { return result; }

    osgEarth::GeoExtent extent;
    std::vector<const CPPoint*> result;

private:
    ExtentLookup lookup;
};
