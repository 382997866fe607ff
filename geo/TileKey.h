#pragma once

#include "geo/GeoExport.h"
#include "geo/GeoExtent.h"
#include "geo/Profile.h"

#include <osg/ref_ptr>

namespace osgEarth {

// One tile of a profile: level, column, and row counted from the north edge.
class GEO_EXPORT TileKey {
public:
    TileKey() = default;
    TileKey(unsigned lod, unsigned x, unsigned y, const Profile* profile);

    unsigned getLevelOfDetail() const { return _lod; }
    unsigned getTileX() const { return _x; }
    unsigned getTileY() const { return _y; }
    const Profile* getProfile() const { return _profile.get(); }
    // The invalid extent for a key without a profile or outside the profile's grid.
    const GeoExtent& getExtent() const { return _extent; }
    bool valid() const { return _extent.isValid(); }

private:
    unsigned _lod = 0, _x = 0, _y = 0;
    osg::ref_ptr<const Profile> _profile;
    GeoExtent _extent;
};

} // namespace osgEarth
