#pragma once

#include "Selmor/SelmorExport.h"

#include <osgGA/OrbitManipulator>

// The host's camera manipulator over the map: an orbit about a centre. Two ways of
// touring the scene:
// - above ground (mode 1, the default): the eye never sinks below the terrain; a drag or
//   a zoom that would take it under stops it a small height above the ground;
// - underground (mode 0): the eye may pass through the ground, and the centre it orbits
//   and zooms about is kept under the surface, among the buried network.
class SELMOR_EXPORT CXEarthManipulator : public osgGA::OrbitManipulator {
public:
    enum TourismMode { Underground = 0, AboveGround = 1 };

    CXEarthManipulator();

    void setTourismMode(int mode);
    int getTourismMode() const { return _tourismMode; }
    // How far above the terrain the eye stays in above-ground mode (metres).
    void setMinimumClearance(double metres) { _clearance = metres; }
    // How far below the terrain the centre lies at least in underground mode (metres).
    void setPivotDepth(double metres) { _pivotDepth = metres; }

    bool handle(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa) override;
    using osgGA::OrbitManipulator::handle;

    // Above-ground mode: moves the eye up to the terrain plus the clearance if it is below
    // that, looking at the same centre. Returns true when the eye was moved.
    bool keepEyeAboveTerrain();
    // Underground mode: moves the centre down to the pivot depth under the terrain if it
    // lies above that, along the line of sight when the eye looks down. Returns true when
    // the centre was moved.
    bool keepCentreUnderTerrain();

protected:
    // The Home key goes home, as the space bar does.
    bool handleKeyDown(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa) override;

private:
    int _tourismMode = AboveGround;
    double _clearance = 1.5;
    double _pivotDepth = 2.0;
};
