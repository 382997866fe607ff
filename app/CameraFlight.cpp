#include "app/CameraFlight.h"

#include <osg/Math>

#include <algorithm>
#include <cmath>

namespace {

bool usable(const CameraFlight::Pose& pose) {
    return pose.eye.valid() && pose.centre.valid() && (pose.eye - pose.centre).length2() > 0.0;
}

// The eye seen from the point looked at: how far, which way (radians from the x axis)
// and how high (radians above the horizontal).
struct Around {
    double distance, heading, elevation;

    static Around of(const CameraFlight::Pose& pose) {
        const osg::Vec3d offset = pose.eye - pose.centre;
        const double distance = offset.length();
        return {distance, std::atan2(offset.y(), offset.x()),
                std::asin(std::clamp(offset.z() / distance, -1.0, 1.0))};
    }
    osg::Vec3d offset() const {
        const double across = distance * std::cos(elevation);
        return {across * std::cos(heading), across * std::sin(heading), distance * std::sin(elevation)};
    }
};

} // namespace

CameraFlight::Pose CameraFlight::framing(const Pose& from, const osg::Vec3d& target, double distance) {
    const osg::Vec3d looking = from.centre - from.eye;
    const osg::Vec2d level(looking.x(), looking.y());
    // Straight down or up the view has no heading of its own: face north.
    const double facing = level.length() > 1e-9 * looking.length() && usable(from)
                              ? std::atan2(level.y(), level.x())
                              : osg::PI_2;
    if (!(distance > 0.0) || !std::isfinite(distance))
        distance = FramingDistance;
    const Around around{distance, facing + osg::PI, osg::DegreesToRadians(FramingElevationDegrees)};
    return {target + around.offset(), target};
}

CameraFlight::CameraFlight(const Pose& from, const Pose& to, double seconds)
    : _from(from), _to(to), _seconds(std::isfinite(seconds) && seconds > 0.0 ? seconds : 0.0) {
    if (!usable(_from))
        _from = _to;
    if (!usable(_to))
        _to = _from;
}

CameraFlight::Pose CameraFlight::at(double elapsed) const {
    if (!(elapsed < _seconds) || !usable(_from) || (_from.eye == _to.eye && _from.centre == _to.centre))
        return _to;
    if (!(elapsed > 0.0))
        return _from;
    const double t = elapsed / _seconds;
    const double s = t * t * (3.0 - 2.0 * t); // no speed at either end
    const Around a = Around::of(_from), b = Around::of(_to);
    double turn = std::remainder(b.heading - a.heading, 2.0 * osg::PI); // the shorter way round
    const Around now{a.distance * std::pow(b.distance / a.distance, s), a.heading + s * turn,
                     a.elevation + s * (b.elevation - a.elevation)};
    const osg::Vec3d centre = _from.centre + (_to.centre - _from.centre) * s;
    return {centre + now.offset(), centre};
}
