#pragma once

#include "Selmor/SelmorExport.h"

#include <osg/Vec3f>
#include <osg/View>

// Update callback of the main view's slave cameras (ViewSetup.h). Besides the usual slave
// update it carries the excavation the dig tools describe: the bounding sphere of
// everything dug, and whether anything is dug at all.
//
// Each slave draws one pass of the frame (ViewSetup.h). The scene pass's callback also
// gives it the master camera's final draw callback (screen pictures), finds the hole masks
// in the scene (any node that marks the stencil with the colour off), keeps them out of
// every pass but the cut and lets picks pass through them, and says whether the ground is
// cut this frame.
class SELMOR_EXPORT MyNewUpdateSlaveCallback : public osg::View::Slave::UpdateSlaveCallback {
public:
    enum Pass { Clear, Cut, Scene };
    explicit MyNewUpdateSlaveCallback(Pass pass = Scene) : _pass(pass) {}

    void updateSlave(osg::View& view, osg::View::Slave& slave) override;

    Pass pass() const { return _pass; }
    // True while the ground is to be drawn only where no hole mask marked the stencil: the
    // dig tools said so, or a hole mask hangs in the scene.
    bool cutsGround() const { return _cutsGround; }

    osg::Vec3f excavationCenter;
    float excavationRadius = 0.0f;
    bool excavationActive = false;

private:
    Pass _pass;
    bool _cutsGround = false;
};
