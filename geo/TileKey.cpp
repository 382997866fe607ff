#include "geo/TileKey.h"

namespace osgEarth {

TileKey::TileKey(unsigned lod, unsigned x, unsigned y, const Profile* profile)
    : _lod(lod), _x(x), _y(y), _profile(profile) {
    if (profile)
        _extent = profile->getTileExtent(lod, x, y);
}

} // namespace osgEarth
