#include "geo/Profile.h"

#include <climits>

namespace osgEarth {

Profile::Profile(const GeoExtent& extent, unsigned wide, unsigned high)
    : _extent(extent), _wide(wide), _high(high) {}

Profile* Profile::create(const std::string& srsInit, double xmin, double ymin, double xmax, double ymax,
                         const std::string& vsrsInit, unsigned numTilesWideAtLod0,
                         unsigned numTilesHighAtLod0) {
    const SpatialReference* srs = SpatialReference::create(srsInit);
    if (!srs)
        return nullptr;
    return create(srs, xmin, ymin, xmax, ymax, vsrsInit, numTilesWideAtLod0, numTilesHighAtLod0);
}

Profile* Profile::create(const SpatialReference* srs, double xmin, double ymin, double xmax, double ymax,
                         const std::string&, unsigned numTilesWideAtLod0, unsigned numTilesHighAtLod0) {
    GeoExtent extent(srs, xmin, ymin, xmax, ymax);
    if (!srs || !extent.isValid() || extent.width() <= 0.0 || extent.height() <= 0.0)
        return nullptr;
    return new Profile(extent, numTilesWideAtLod0 ? numTilesWideAtLod0 : 1u,
                       numTilesHighAtLod0 ? numTilesHighAtLod0 : 1u);
}

bool Profile::getNumTiles(unsigned lod, unsigned& wide, unsigned& high) const {
    if (lod >= 32)
        return false;
    const unsigned long long factor = 1ull << lod;
    if (_wide * factor > UINT_MAX || _high * factor > UINT_MAX)
        return false;
    wide = static_cast<unsigned>(_wide * factor);
    high = static_cast<unsigned>(_high * factor);
    return true;
}

GeoExtent Profile::getTileExtent(unsigned lod, unsigned x, unsigned y) const {
    unsigned wide = 0, high = 0;
    if (!getNumTiles(lod, wide, high) || x >= wide || y >= high)
        return GeoExtent();
    const double w = _extent.width() / wide;
    const double h = _extent.height() / high;
    // The last column and row end exactly on the profile's edges, so neighbouring
    // tiles share their edge values and no sliver is lost to rounding.
    const double xmin = _extent.xMin() + w * x;
    const double xmax = x + 1 == wide ? _extent.xMax() : _extent.xMin() + w * (x + 1);
    const double ymax = _extent.yMax() - h * y;
    const double ymin = y + 1 == high ? _extent.yMin() : _extent.yMax() - h * (y + 1);
    return GeoExtent(_extent.getSRS(), xmin, ymin, xmax, ymax);
}

} // namespace osgEarth
