#pragma once

#include "Selmor/SelmorExport.h"

#include <osg/Vec3f>
#include <osg/View>

// Update callback of the main view's slave cameras. Besides the usual slave update it
// carries the excavation the dig tools describe: the bounding sphere of everything
// dug, and whether anything is dug at all, for the slave that cuts the terrain.
class SELMOR_EXPORT MyNewUpdateSlaveCallback : public osg::View::Slave::UpdateSlaveCallback {
public:
    void updateSlave(osg::View& view, osg::View::Slave& slave) override;

    osg::Vec3f excavationCenter;
    float excavationRadius = 0.0f;
    bool excavationActive = false;
};
