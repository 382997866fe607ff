#pragma once

#include "geo/GeoExport.h"
#include "geo/Map.h"

#include <osg/Vec3d>
#include <osg/ref_ptr>

#include <vector>

namespace osgEarth {

// Terrain heights under points, from the host's terrain (the same heights the pipes
// are placed by), looked up in the map's coordinate system.
class GEO_EXPORT ElevationQuery {
public:
    explicit ElevationQuery(const Map* map);

    // Sets each point's z to the terrain height there (ignoreZ) or adds the height to
    // it. The points are in `srs`; null means the map's own coordinates. All or
    // nothing: false, with the points unchanged, when they cannot be brought into the
    // map's system or there is no host. The resolution is the terrain's own.
    bool getElevations(std::vector<osg::Vec3d>& points, const SpatialReference* srs, bool ignoreZ = true,
                       double desiredResolution = 0.0);
    bool getElevation(const osg::Vec3d& point, const SpatialReference* srs, double& height);

private:
    osg::ref_ptr<const Map> _map;
};

} // namespace osgEarth
