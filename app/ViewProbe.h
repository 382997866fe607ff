#pragma once

#include <osg/ObserverNodePath>
#include <osg/Vec3d>

#include <string>

namespace osgViewer {
class View;
}

// What lies under a pixel of the main view, for the status bar and the identify panel.
//
// The nearest surface along the pointer's ray is what the user sees there, with two
// exceptions: what is not drawn is never hit (hidden nodes, the hole masks of the digs,
// the ground inside a dig's outline, the children of a level of detail out of range from
// the eye), and a ground drawn translucent does not hide what lies beneath it, so through
// a see-through ground the nearest pipe, well or pit beneath is found and the ground only
// where nothing is.
struct ViewProbe {
    bool hit = false;
    osg::Vec3d point;      // world point of the surface hit
    bool onGround = false; // the surface hit is the ground itself
    double ground = 0.0;   // terrain height at the point's x, y
    // How deep the surface hit lies below the ground there: ground - point.z (negative
    // above it).
    double hitDepth = 0.0;

    // When the surface hit belongs to a pipe segment.
    bool pipe = false;
    std::string layerName; // GBK, as the layer names itself
    std::string gid;
    // The surveyed burial depth of the pipe's centre line at that place along the segment
    // (the depths at its ends interpolated), which is what the pipe is laid out from.
    double axisDepth = 0.0;

    // From the scene root down to the drawable hit (kept alive while the probe is held,
    // even when the tile it lies in is paged out meanwhile).
    osg::RefNodePath nodePath;

    // The probe at a window pixel of `view` (from the top left, as HostApp::windowPixel
    // gives it); `ground` is the group the terrain hangs under. A pixel outside the view
    // or not a number gives no hit.
    static ViewProbe at(osgViewer::View* view, const osg::Node* ground, double px, double py);
};
