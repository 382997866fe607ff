#pragma once

#include "geo/GeoExport.h"
#include "geo/GeoExtent.h"

#include <osg/Referenced>

#include <string>

namespace osgEarth {

// The tiling scheme of a paged graph: an extent cut into a grid of root tiles, each
// split into four at every deeper level.
class GEO_EXPORT Profile : public osg::Referenced {
public:
    // Null when the system is not understood or the extent is empty or not finite. Tile
    // counts of 0 mean one root tile covering the whole extent, square or not. The
    // vertical datum is accepted for the usual call shape and not used: heights are the
    // host terrain's.
    static Profile* create(const std::string& srsInit, double xmin, double ymin, double xmax, double ymax,
                           const std::string& vsrsInit = std::string(), unsigned numTilesWideAtLod0 = 0,
                           unsigned numTilesHighAtLod0 = 0);
    static Profile* create(const SpatialReference* srs, double xmin, double ymin, double xmax, double ymax,
                           const std::string& vsrsInit = std::string(), unsigned numTilesWideAtLod0 = 0,
                           unsigned numTilesHighAtLod0 = 0);

    const SpatialReference* getSRS() const { return _extent.getSRS(); }
    const GeoExtent& getExtent() const { return _extent; }
    // Tiles across and down at a level; false beyond the deepest level that fits.
    bool getNumTiles(unsigned lod, unsigned& wide, unsigned& high) const;
    // Rows count from the north edge: row 0 touches yMax.
    GeoExtent getTileExtent(unsigned lod, unsigned x, unsigned y) const;

protected:
    ~Profile() override = default;

private:
    Profile(const GeoExtent& extent, unsigned wide, unsigned high);
    GeoExtent _extent;
    unsigned _wide;
    unsigned _high;
};

} // namespace osgEarth
