#pragma once

#include <osg/Array>
#include <osg/Node>
#include <osg/Vec3d>

#include <string>
#include <vector>

class CXEarthManipulator;
namespace osgGA {
class GUIEventAdapter;
class GUIActionAdapter;
} // namespace osgGA

// What every tool shares: picking the world point under the
// mouse, the rubber-band outline shown while points are collected, and the point-list
// report to the host.
namespace ToolFrame {

bool isRelease(const osgGA::GUIEventAdapter& ea, int button);
// The world point under the pointer of the event; false when nothing was hit.
bool pick(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa, osg::Vec3d& point);

// The rubber band over `points` (world coordinates): one primitive of `mode` over all of
// them, drawn over everything else, terrain and pipes included. Its vertices are single-
// precision offsets from the first point, placed in double precision by a transform.
osg::ref_ptr<osg::Node> buildOutline(const osg::Vec3dArray& points, GLenum mode, bool unlit);
// Redraws a band made by buildOutline over `points` in place; false when `outline` is no
// such band (none yet).
bool updateOutline(osg::Node* outline, const osg::Vec3dArray& points);
// Takes `old` (if any) off the viewer root and hangs `replacement` (if any) there.
void replaceOnRoot(osg::ref_ptr<osg::Node>& old, osg::Node* replacement);

// x, y of every point, each followed by a comma; z is not sent. `precision` is in
// significant digits: enough to bring a 7-digit map coordinate back to the millimetre.
std::string formatPoints(const osg::Vec3dArray& points, int precision = 10);
// The main view's earth manipulator; another one (or none) is replaced by it, starting
// from its home. Null without a main view.
CXEarthManipulator* earthManipulator();

// Hands a result to the host under `name`.
void report(const std::string& name, const std::string& payload);

} // namespace ToolFrame
