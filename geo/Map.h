#pragma once

#include "geo/GeoExport.h"
#include "geo/SpatialReference.h"

#include <osg/Referenced>

#include <atomic>

namespace osgEarth {

// The host's map: the coordinate system the terrain and the network are laid out in.
// A map without a system takes every coordinate as the host world's own.
class GEO_EXPORT Map : public osg::Referenced {
public:
    explicit Map(const SpatialReference* srs = nullptr) : _srs(srs) {}

    // Safe to change while pager threads read it: systems are never deleted.
    void setSRS(const SpatialReference* srs) { _srs.store(srs); }
    const SpatialReference* getSRS() const { return _srs.load(); }
    // What scene coordinates are measured in: the map's projected system, geocentric
    // for a geographic map, null (the data's own coordinates) without a system.
    const SpatialReference* getWorldSRS() const;

protected:
    ~Map() override = default;

private:
    std::atomic<const SpatialReference*> _srs;
};

} // namespace osgEarth
