#include "modeling/TubeLod.h"

#include <osg/CullStack>
#include <osgDB/ObjectWrapper>

#include <algorithm>

TubeLod::TubeLod(const TubeLod& other, const osg::CopyOp& copyop) : osg::LOD(other, copyop) {}

void TubeLod::traverse(osg::NodeVisitor& nv) {
    osg::CullStack* cull = nv.asCullStack();
    if (!cull || nv.getTraversalMode() != osg::NodeVisitor::TRAVERSE_ACTIVE_CHILDREN ||
        _rangeMode != DISTANCE_FROM_EYE_POINT || !cull->getModelViewMatrix()) {
        osg::LOD::traverse(nv);
        return;
    }
    // The centre carried into eye coordinates, where the eye is the origin and a metre
    // is a metre whatever the transforms above stretch.
    const osg::Vec3d eyeCentre = osg::Vec3d(getCenter()) * (*cull->getModelViewMatrix());
    const float distance = static_cast<float>(eyeCentre.length()) * cull->getLODScale();
    const unsigned count = std::min(static_cast<unsigned>(_rangeList.size()), getNumChildren());
    for (unsigned i = 0; i < count; ++i)
        if (_rangeList[i].first <= distance && distance < _rangeList[i].second)
            _children[i]->accept(nv);
}

namespace {
// Written and read as a plain LOD's fields: the switch adds no state of its own.
osg::Object* createTubeLod() {
    return new TubeLod;
}
void noFieldsOfItsOwn(osgDB::ObjectWrapper*) {}
const osgDB::RegisterWrapperProxy
    tubeLodWrapper(createTubeLod, "modeling::TubeLod",
                   "osg::Object osg::Node osg::Group osg::LOD modeling::TubeLod", noFieldsOfItsOwn);
} // namespace
