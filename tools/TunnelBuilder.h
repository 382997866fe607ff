#pragma once

#include <osg/Array>
#include <osg/Group>
#include <osg/Matrixd>
#include <osg/ref_ptr>

// A planned tunnel as a textured rectangular tube along its centre line: one straight
// piece per segment, each swept in a frame of its own whose first axis points up.
class TunnelBuilder {
public:
    // One child per segment of `centreLine` (world coordinates), `width` across and
    // `height` up and down; segments of no length are left out.
    static osg::ref_ptr<osg::Group> build(const osg::Vec3dArray& centreLine, float width, float height);

    // The placement of a segment from `from` to `to`: local x is up (across the section's
    // height), local y runs along the segment, local z to the side. A segment along the
    // vertical takes the x axis as up. False for a segment of no length.
    static bool segmentFrame(const osg::Vec3d& from, const osg::Vec3d& to, osg::Matrixd& placement,
                             double& length);
};
