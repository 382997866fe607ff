#include "modeling/SegmentFrame.h"

#include <cmath>

bool SegmentFrame::between(const osg::Vec3d& start, const osg::Vec3d& end, SegmentFrame& frame) {
    osg::Vec3d axis = end - start;
    double length = axis.length();
    if (!(length >= 1e-6) || !std::isfinite(length))
        return false;
    osg::Vec3d along = axis / length;
    osg::Vec3d reference(0.0, 0.0, 1.0);
    if (along == osg::Vec3d(0.0, 0.0, 1.0) || along == osg::Vec3d(0.0, 0.0, -1.0))
        reference = osg::Vec3d(1.0, 0.0, 0.0);
    osg::Vec3d across = reference ^ along;
    // So close to vertical that the cross product underflows: as for a vertical pipe.
    if (!(across.normalize() > 0.0)) {
        across = osg::Vec3d(1.0, 0.0, 0.0) ^ along;
        across.normalize();
    }
    osg::Vec3d up = along ^ across;
    up.normalize();
    // The inverse of the world-to-local frame, written out: its axes are orthonormal.
    frame.placement.set(up.x(), up.y(), up.z(), 0.0, along.x(), along.y(), along.z(), 0.0, across.x(),
                        across.y(), across.z(), 0.0, start.x(), start.y(), start.z(), 1.0);
    frame.length = length;
    return true;
}
