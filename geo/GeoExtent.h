#pragma once

#include "geo/GeoExport.h"
#include "geo/SpatialReference.h"

#include <osg/ref_ptr>

namespace osgEarth {

// An axis-aligned rectangle in one coordinate system: a tile, a map, a layer's bounds.
// A null system means the host world's own coordinates.
class GEO_EXPORT GeoExtent {
public:
    // The invalid extent.
    GeoExtent() = default;
    GeoExtent(const SpatialReference* srs, double xmin, double ymin, double xmax, double ymax);

    const SpatialReference* getSRS() const { return _srs.get(); }
    double xMin() const { return _xmin; }
    double yMin() const { return _ymin; }
    double xMax() const { return _xmax; }
    double yMax() const { return _ymax; }
    double width() const { return _xmax - _xmin; }
    double height() const { return _ymax - _ymin; }

    // Finite bounds with min <= max on both axes.
    bool isValid() const { return _valid; }
    bool getCentroid(double& x, double& y) const;
    // Closed on every edge.
    bool contains(double x, double y) const;
    bool intersects(const GeoExtent& other) const;

private:
    osg::ref_ptr<const SpatialReference> _srs;
    double _xmin = 0.0, _ymin = 0.0, _xmax = 0.0, _ymax = 0.0;
    bool _valid = false;
};

} // namespace osgEarth
