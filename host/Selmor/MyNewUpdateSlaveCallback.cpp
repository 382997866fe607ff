#include "Selmor/MyNewUpdateSlaveCallback.h"

#include "Selmor/ViewSetup.h"
#include "Torvik/Torvik.h"

#include <osg/ColorMask>
#include <osg/Stencil>
#include <osg/ValueObject>
#include <osgViewer/View>

namespace {

// A polygon that marks the stencil and draws no colour: what a dig puts over its hole.
bool isHoleMask(const osg::Node& node) {
    const osg::StateSet* state = node.getStateSet();
    if (!state || !state->getAttribute(osg::StateAttribute::STENCIL) ||
        !(state->getMode(GL_STENCIL_TEST) & osg::StateAttribute::ON))
        return false;
    auto* colour = dynamic_cast<const osg::ColorMask*>(state->getAttribute(osg::StateAttribute::COLORMASK));
    return colour && !colour->getRedMask() && !colour->getGreenMask() && !colour->getBlueMask() &&
           !colour->getAlphaMask();
}

// Marks the hole masks under `node` for the cut pass only, and counts them. The host's
// own groups (pipes, models, ground) carry masks of their own and are not searched, nor
// is anything deeper than a tool's group needs.
unsigned markHoleMasks(osg::Node& node, int levels) {
    if (isHoleMask(node)) {
        if (node.getNodeMask() != ViewSetup::HoleMaskBit) {
            node.setNodeMask(ViewSetup::HoleMaskBit);
            node.setUserValue(Torvik::SeeThrough, true);
        }
        return 1;
    }
    osg::Group* group = node.asGroup();
    if (!group || levels == 0 || node.getNodeMask() != ~0u)
        return 0;
    unsigned found = 0;
    for (unsigned i = 0; i < group->getNumChildren(); ++i)
        found += markHoleMasks(*group->getChild(i), levels - 1);
    return found;
}

} // namespace

void MyNewUpdateSlaveCallback::updateSlave(osg::View& view, osg::View::Slave& slave) {
    slave.updateSlaveImplementation(view);
    osg::Camera* master = view.getCamera();
    osg::Camera* camera = slave._camera.get();
    if (!master || !camera)
        return;
    if (_pass == Scene) {
        camera->setFinalDrawCallback(master->getFinalDrawCallback());
        auto* viewer = dynamic_cast<osgViewer::View*>(&view);
        osg::Node* scene = viewer ? viewer->getSceneData() : nullptr;
        // The scene's root, the host's excavation group, a tool's group, its mask.
        unsigned masks = scene ? markHoleMasks(*scene, 4) : 0;
        _cutsGround = excavationActive || masks > 0;
    }
}
