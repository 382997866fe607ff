#include "Selmor/CXEarthManipulator.h"

#include "Torvik/CXPlayerManager.h"

namespace {

// An up direction for looking from the eye at the centre: the camera's own where it is not
// along the line of sight, else the map's north.
osg::Vec3d upFor(const osg::Vec3d& eye, const osg::Vec3d& centre, const osg::Vec3d& up) {
    osg::Vec3d sight = centre - eye;
    sight.normalize();
    osg::Vec3d side = sight ^ up;
    if (side.length2() > 1e-12)
        return up;
    side = sight ^ osg::Vec3d(0.0, 1.0, 0.0);
    return side.length2() > 1e-12 ? osg::Vec3d(0.0, 1.0, 0.0) : osg::Vec3d(0.0, 0.0, 1.0);
}

} // namespace

CXEarthManipulator::CXEarthManipulator() {
    // An orbit about a centre, not a surface-following walk: underground the eye must
    // be free to pass through the ground.
    setVerticalAxisFixed(true);
}

void CXEarthManipulator::setTourismMode(int mode) {
    _tourismMode = mode == Underground ? Underground : AboveGround;
    if (_tourismMode == AboveGround)
        keepEyeAboveTerrain();
    else
        keepCentreUnderTerrain();
}

bool CXEarthManipulator::handle(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa) {
    bool handled = osgGA::OrbitManipulator::handle(ea, aa);
    // After every step of a drag, a zoom, a throw or a home: the movement stops at the
    // surface rather than undoing it.
    if (_tourismMode == AboveGround)
        keepEyeAboveTerrain();
    else
        keepCentreUnderTerrain();
    return handled;
}

bool CXEarthManipulator::handleKeyDown(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa) {
    if (ea.getKey() != osgGA::GUIEventAdapter::KEY_Home)
        return osgGA::OrbitManipulator::handleKeyDown(ea, aa);
    flushMouseEventStack();
    _thrown = false;
    home(ea, aa);
    return true;
}

bool CXEarthManipulator::keepEyeAboveTerrain() {
    osg::Vec3d eye, centre, up;
    getTransformation(eye, centre, up);
    double lowest = g_playerManager->getHeight(eye.x(), eye.y()) + _clearance;
    if (!(eye.z() < lowest))
        return false;
    osg::Vec3d lifted(eye.x(), eye.y(), lowest);
    if ((centre - lifted).length2() < 1e-12) // never onto the centre itself
        centre.z() -= 1.0;
    setTransformation(lifted, centre, upFor(lifted, centre, up));
    return true;
}

bool CXEarthManipulator::keepCentreUnderTerrain() {
    osg::Vec3d eye, centre, up;
    getTransformation(eye, centre, up);
    double deepest = g_playerManager->getHeight(centre.x(), centre.y()) - _pivotDepth;
    if (!(centre.z() > deepest))
        return false;
    osg::Vec3d sight = centre - eye;
    osg::Vec3d pivot(centre.x(), centre.y(), deepest);
    if (sight.z() < -1e-6 * sight.length()) {
        // Further along the line of sight, so the view does not turn: where the sight
        // reaches the pivot depth under the terrain at the centre.
        pivot = centre + sight * ((deepest - centre.z()) / sight.z());
    }
    if ((pivot - eye).length2() < 1e-12)
        pivot.z() -= 1.0;
    setTransformation(eye, pivot, upFor(eye, pivot, up));
    return true;
}
