#pragma once

#include <osg/Vec3d>

// A flight of the camera to a point the user chose (a pipe found, a well searched for):
// from where the eye is to a view that frames the point, over about a second. The window
// asks for the camera at each frame's time and sets it (HostApp::setCamera).
//
// The point looked at glides to the target while the eye swings around it: distance,
// heading and elevation change together, the distance in proportion rather than in
// metres, so that a flight from afar slows as it closes in. Speed eases in and out, so
// the flight starts and ends without a jolt.
class CameraFlight {
public:
    struct Pose {
        osg::Vec3d eye, centre;
    };

    // How far a framing view stands off from its target, and how steeply it looks down.
    static constexpr double FramingDistance = 40.0;
    static constexpr double FramingElevationDegrees = 35.0;

    // The view of `target` from `distance` metres, looking down at the framing elevation,
    // facing the way `from` faces (north when `from` looks straight down or up).
    static Pose framing(const Pose& from, const osg::Vec3d& target, double distance = FramingDistance);

    // A flight from `from` to `to` over `seconds`. A pose that is not finite, or whose eye
    // and centre coincide, makes a flight that stays at `from` (or at `to` when only `from`
    // is bad).
    CameraFlight(const Pose& from, const Pose& to, double seconds = 1.0);

    // The camera `elapsed` seconds after the start: `from` before it, `to` from the end on.
    Pose at(double elapsed) const;
    bool done(double elapsed) const { return elapsed >= _seconds; }
    double seconds() const { return _seconds; }
    const Pose& target() const { return _to; }

private:
    Pose _from, _to;
    double _seconds;
};
