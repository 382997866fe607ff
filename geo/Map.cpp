#include "geo/Map.h"

namespace osgEarth {

const SpatialReference* Map::getWorldSRS() const {
    const SpatialReference* srs = getSRS();
    return srs ? srs->getWorldSRS() : nullptr;
}

} // namespace osgEarth
