#include "geo/GeoExtent.h"

#include <cmath>

namespace osgEarth {

GeoExtent::GeoExtent(const SpatialReference* srs, double xmin, double ymin, double xmax, double ymax)
    : _srs(srs), _xmin(xmin), _ymin(ymin), _xmax(xmax), _ymax(ymax) {
    _valid = std::isfinite(xmin) && std::isfinite(ymin) && std::isfinite(xmax) && std::isfinite(ymax) &&
             xmin <= xmax && ymin <= ymax;
}

bool GeoExtent::getCentroid(double& x, double& y) const {
    if (!_valid)
        return false;
    x = 0.5 * (_xmin + _xmax);
    y = 0.5 * (_ymin + _ymax);
    return true;
}

bool GeoExtent::contains(double x, double y) const {
    return _valid && x >= _xmin && x <= _xmax && y >= _ymin && y <= _ymax;
}

bool GeoExtent::intersects(const GeoExtent& other) const {
    return _valid && other._valid && _xmin <= other._xmax && other._xmin <= _xmax && _ymin <= other._ymax &&
           other._ymin <= _ymax;
}

bool checkExtentBounds(double xmin, double ymin, double xmax, double ymax, std::string& reason) {
    for (double value : {xmin, ymin, xmax, ymax})
        if (!std::isfinite(value) || std::fabs(value) > MaxExtentCoordinate) {
            reason = "a coordinate is not finite or beyond 1e9";
            return false;
        }
    if (!(xmin < xmax && ymin < ymax)) {
        reason = "the extent is empty";
        return false;
    }
    if (xmax - xmin > MaxExtentSpan || ymax - ymin > MaxExtentSpan) {
        reason = "the extent is wider than 1000 km";
        return false;
    }
    return true;
}

} // namespace osgEarth
