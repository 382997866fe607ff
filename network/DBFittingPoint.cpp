#include "network/DBFittingPoint.h"

// The fittings are measured by the model construction; until it is there a fitting
// meets no pipes and has no arms.

DBFittingPoint::~DBFittingPoint() = default;

std::list<CPPipeLine> DBFittingPoint::pipesStartingAt(const CPPoint&) {
    return {};
}

std::list<CPPipeLine> DBFittingPoint::pipesEndingAt(const CPPoint&) {
    return {};
}

osg::Vec3d DBFittingPoint::armFromStart(const CPPipeLine&) {
    return osg::Vec3d();
}

osg::Vec3d DBFittingPoint::armFromEnd(const CPPipeLine&) {
    return osg::Vec3d();
}

std::list<FittingArm> DBFittingPoint::startArms(const CPPoint&) {
    return {};
}

std::list<FittingArm> DBFittingPoint::endArms(const CPPoint&) {
    return {};
}
