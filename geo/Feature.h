#pragma once

#include "geo/GeoExport.h"
#include "geo/Geometry.h"

#include <osg/Referenced>
#include <osg/ref_ptr>

namespace osgEarth {
namespace Features {

// One record of a vector layer: its id in the source and its shape, if it has one.
class GEO_EXPORT Feature : public osg::Referenced {
public:
    Feature(long long fid, Symbology::Geometry* geometry) : _fid(fid), _geometry(geometry) {}

    long long getFID() const { return _fid; }
    // Null for a record without a shape.
    Symbology::Geometry* getGeometry() const { return _geometry.get(); }

protected:
    ~Feature() override = default;

private:
    long long _fid;
    osg::ref_ptr<Symbology::Geometry> _geometry;
};

} // namespace Features
} // namespace osgEarth
