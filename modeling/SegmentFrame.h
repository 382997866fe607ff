#pragma once

#include <osg/Matrixd>
#include <osg/Vec3d>

// The frame a pipe body is built in: the pipe runs along local +y from the origin (its
// start S) to (0, L, 0) at its end E; local x is across the pipe in the vertical plane
// through it (straight up for a level pipe), local z across it horizontally. A vertical
// pipe takes east as its reference instead of up.
struct SegmentFrame {
    osg::Matrixd placement; // local to world
    double length = 0.0;

    // False when S and E are less than a micrometre apart or not finite: such a
    // segment has no direction and no body.
    static bool between(const osg::Vec3d& start, const osg::Vec3d& end, SegmentFrame& frame);
};
