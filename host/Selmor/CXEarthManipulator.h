#pragma once

#include "Selmor/SelmorExport.h"

#include <osgGA/OrbitManipulator>

// The host's camera manipulator over the map. In above-ground mode (1) the eye never
// sinks below the terrain; in underground mode (0) it may go below the surface to look
// at the buried network from beneath.
class SELMOR_EXPORT CXEarthManipulator : public osgGA::OrbitManipulator {
public:
    CXEarthManipulator();

    void setTourismMode(int mode);
    int getTourismMode() const { return _tourismMode; }
    // How far above the terrain the eye stays in above-ground mode (metres).
    void setMinimumClearance(double metres) { _clearance = metres; }

    bool handle(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa) override;
    using osgGA::OrbitManipulator::handle;

    // Moves the eye up to the terrain plus the clearance if above-ground mode has it
    // below that. Returns true when the eye was moved.
    bool keepEyeAboveTerrain();

private:
    int _tourismMode = 1;
    double _clearance = 1.5;
};
