#pragma once

#include "geo/GeoExport.h"

#include <osg/Referenced>
#include <osg/Vec3d>
#include <osg/ref_ptr>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace osgEarth {

// A coordinate reference system: the survey's projected grid, longitude/latitude, or
// earth-centred geocentric metres. Axes are always in x = easting/longitude,
// y = northing/latitude order, whatever order the authority defines.
//
// Instances are shared and live for the whole process (create() keeps one per init
// string), so plain pointers to them never dangle, and all operations are safe from
// any thread, tile-building pager threads included.
class GEO_EXPORT SpatialReference : public osg::Referenced {
public:
    // From what users type: "EPSG:4547", a WKT definition or a PROJ string. Null when
    // the text is not understood. Never reads a file or the network.
    static SpatialReference* create(const std::string& init);

    const std::string& getInitString() const { return _init; }
    std::string getWKT() const;
    bool isGeographic() const;
    bool isProjected() const;
    bool isGeocentric() const;
    bool isEquivalentTo(const SpatialReference* other) const;

    // The earth-centred system on the same datum.
    const SpatialReference* getGeocentricSRS() const;
    // The host's world frame for a map in this system: the system itself when it is
    // projected (or already geocentric), its geocentric system when it is geographic.
    const SpatialReference* getWorldSRS() const;

    // Transforms to another system. A null target stands for "the data's own
    // coordinates" and copies the input unchanged. False when the points cannot be
    // transformed; the output is then left as it was.
    bool transform(const osg::Vec3d& in, const SpatialReference* to, osg::Vec3d& out) const;
    // In place, all or nothing: on failure the points are left unchanged.
    bool transform(std::vector<osg::Vec3d>& points, const SpatialReference* to) const;

protected:
    ~SpatialReference() override;

private:
    struct Impl;
    SpatialReference(std::string init, std::unique_ptr<Impl> impl);
    static SpatialReference* adopt(std::string key, std::unique_ptr<Impl> impl);

    std::string _init;
    std::unique_ptr<Impl> _impl;
    mutable std::once_flag _geocentricOnce;
    mutable osg::ref_ptr<SpatialReference> _geocentric;
};

} // namespace osgEarth
