#pragma once

#include "layers/DBPoint.h"
#include "layers/PipeEndVisitor.h"
#include "modeling/FittingBuilder.h"
#include "network/CPPipeLine.h"

#include <osg/Vec3d>

#include <list>
#include <vector>

// Point categories of the kinds whose tees, crosses and elbows are assembled from the
// pipes that meet at the point: these find and measure those pipes, in the owning layer only.
class DBFittingPoint : public DBPoint {
public:
    using DBPoint::DBPoint;

    // The owning layer's loaded segments, in list order.
    virtual std::vector<const CPPipeLine*> pipesStartingAt(const CPPoint& point);
    virtual std::vector<const CPPipeLine*> pipesEndingAt(const CPPoint& point);
    // About 0.2 m from the point along the segment. The planar part follows the surveyed
    // positions, the vertical part the terrain-based heights of the ends. A segment whose
    // ends coincide gives no direction: a zero arm.
    virtual osg::Vec3d armFromStart(const CPPipeLine& segment);
    virtual osg::Vec3d armFromEnd(const CPPipeLine& segment);
    virtual std::list<FittingArm> startArms(const CPPoint& point);
    virtual std::list<FittingArm> endArms(const CPPoint& point);

    void setSegmentLookup(SegmentLookup lookup) { segmentLookup = lookup; }

protected:
    ~DBFittingPoint() override;

private:
    SegmentLookup segmentLookup = SegmentLookup::Indexed;
};
