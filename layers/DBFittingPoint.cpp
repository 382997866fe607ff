#include "layers/DBFittingPoint.h"

#include "layers/DBPipe.h"
#include "network/PipeSection.h"

#include "Torvik/Torvik.h"

#include <vector>

namespace {

constexpr double ArmLength = 0.2;

// A stub is a tenth thicker than its pipe. The diameter is the first figure of the
// section size in millimetres (a round pipe's diameter, a box culvert's width), read as
// the pipe body reads it, so the stub fits the pipe it sits on.
double armRadius(const CPPipeLine& segment) {
    return 1.1 * PipeSection::firstFigure(segment.sectionSize) / 2000.0;
}

} // namespace

DBFittingPoint::~DBFittingPoint() = default;

std::vector<const CPPipeLine*> DBFittingPoint::pipesStartingAt(const CPPoint& point) {
    PipeStVisitor visitor(point.surveyNumber, segmentLookup);
    if (owner)
        owner->accept(visitor);
    return std::move(visitor.result);
}

std::vector<const CPPipeLine*> DBFittingPoint::pipesEndingAt(const CPPoint& point) {
    PipeEdVisitor visitor(point.surveyNumber, segmentLookup);
    if (owner)
        owner->accept(visitor);
    return std::move(visitor.result);
}

osg::Vec3d DBFittingPoint::armFromStart(const CPPipeLine& segment) {
    // length() only reads the record.
    double length = const_cast<CPPipeLine&>(segment).length();
    if (!owner || !(length >= 1e-6))
        return osg::Vec3d();
    double zs = owner->startHeight(segment);
    double ze = owner->endHeight(segment);
    return osg::Vec3d(segment.endX - segment.startX, segment.endY - segment.startY, ze - zs) *
           (ArmLength / length);
}

osg::Vec3d DBFittingPoint::armFromEnd(const CPPipeLine& segment) {
    return -armFromStart(segment);
}

std::list<FittingArm> DBFittingPoint::startArms(const CPPoint& point) {
    std::list<FittingArm> arms;
    for (const CPPipeLine* segment : pipesStartingAt(point))
        arms.push_back({armFromStart(*segment), armRadius(*segment)});
    return arms;
}

std::list<FittingArm> DBFittingPoint::endArms(const CPPoint& point) {
    std::list<FittingArm> arms;
    for (const CPPipeLine* segment : pipesEndingAt(point))
        arms.push_back({armFromEnd(*segment), armRadius(*segment)});
    return arms;
}
