#include "Selmor/CXEarthManipulator.h"

#include "Torvik/CXPlayerManager.h"

CXEarthManipulator::CXEarthManipulator() {
    // An orbit about a centre, not a surface-following walk: underground the eye must
    // be free to pass through the ground.
    setVerticalAxisFixed(true);
}

void CXEarthManipulator::setTourismMode(int mode) {
    _tourismMode = mode;
    if (_tourismMode == 1)
        keepEyeAboveTerrain();
}

bool CXEarthManipulator::handle(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa) {
    bool handled = osgGA::OrbitManipulator::handle(ea, aa);
    if (_tourismMode == 1)
        keepEyeAboveTerrain();
    return handled;
}

bool CXEarthManipulator::keepEyeAboveTerrain() {
    osg::Vec3d eye, center, up;
    getTransformation(eye, center, up);
    double ground = g_playerManager->getHeight(eye.x(), eye.y()) + _clearance;
    if (eye.z() >= ground)
        return false;
    osg::Vec3d lift(0.0, 0.0, ground - eye.z());
    setTransformation(eye + lift, center + lift, up);
    return true;
}
