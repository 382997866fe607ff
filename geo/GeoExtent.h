#pragma once

#include "geo/GeoExport.h"
#include "geo/SpatialReference.h"

#include <osg/ref_ptr>

#include <string>

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

// The widest network extent the host and the plug-in take: 1,000 km on a side is far
// beyond any city's network and keeps tile and ground arithmetic exact; coordinates
// beyond 1e9 belong to no projected system.
constexpr double MaxExtentSpan = 1.0e6;
constexpr double MaxExtentCoordinate = 1.0e9;
// True when xmin < xmax and ymin < ymax, all finite and within the limits above;
// otherwise false with the reason.
GEO_EXPORT bool checkExtentBounds(double xmin, double ymin, double xmax, double ymax, std::string& reason);

} // namespace osgEarth
