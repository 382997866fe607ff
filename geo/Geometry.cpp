#include "geo/Geometry.h"

namespace osgEarth {
namespace Symbology {

osg::Vec3dArray* Geometry::createVec3dArray() const {
    auto* all = new osg::Vec3dArray;
    for (const Part& part : _parts)
        all->insert(all->end(), part.points->begin(), part.points->end());
    return all;
}

} // namespace Symbology
} // namespace osgEarth
