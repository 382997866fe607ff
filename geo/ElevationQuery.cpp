#include "geo/ElevationQuery.h"

#include "Torvik/CXPlayerManager.h"

namespace osgEarth {

ElevationQuery::ElevationQuery(const Map* map) : _map(map) {}

bool ElevationQuery::getElevations(std::vector<osg::Vec3d>& points, const SpatialReference* srs, bool ignoreZ,
                                   double) {
    if (!g_playerManager)
        return false;
    std::vector<osg::Vec3d> onMap = points;
    const SpatialReference* mapSrs = _map.valid() ? _map->getSRS() : nullptr;
    if (srs && mapSrs && !srs->transform(onMap, mapSrs))
        return false;
    for (size_t i = 0; i < points.size(); ++i) {
        const double height = g_playerManager->getHeight(onMap[i].x(), onMap[i].y());
        points[i].z() = ignoreZ ? height : points[i].z() + height;
    }
    return true;
}

bool ElevationQuery::getElevation(const osg::Vec3d& point, const SpatialReference* srs, double& height) {
    std::vector<osg::Vec3d> points{point};
    if (!getElevations(points, srs, true))
        return false;
    height = points.front().z();
    return true;
}

} // namespace osgEarth
