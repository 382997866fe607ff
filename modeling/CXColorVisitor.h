#pragma once

#include <osg/NodeVisitor>
#include <osg/StateSet>

// Puts the shared colour shader on the one node it is applied to (it does not descend):
// that node's state set is replaced by the shared one.
class CXColorVisitor : public osg::NodeVisitor {
public:
    CXColorVisitor();
    void apply(osg::Node& node) override;

    // The one state set with the colour shader program, made on first use and kept
    // for the life of the plug-in.
    static osg::StateSet* sharedStateSet();
    // Stops the colour shader inherited from above at `node`, even one forced on from
    // above: what the node holds is drawn by the fixed-function pipeline, in its own
    // textures and materials (a program set further down still applies).
    static void stopAt(osg::Node& node);

private:
    osg::ref_ptr<osg::StateSet> _stateSet;
};
