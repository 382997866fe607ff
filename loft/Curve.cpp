#include "loft/Curve.h"

namespace osgModeling {

Curve::Curve() : _path(new osg::Vec3Array) {}

void Curve::addPathPoint(const osg::Vec3& point) {
    _path->push_back(point);
    dirty();
}

void Curve::setPath(osg::Vec3Array* path) {
    _path = path ? path : new osg::Vec3Array;
    dirty();
}

} // namespace osgModeling
