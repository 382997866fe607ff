#pragma once

#include <osg/Vec4>

namespace osg {
class Geode;
} // namespace osg

// The tubes of round pipe bodies. A 36-facet tube is lofted once per section radius and
// colour; the tube of each segment is a drawable of its own, holding only its vertices
// (in metres along the segment, which the flow bands measure) and sharing the lofted
// tube's normals, texture coordinates, triangles and colour. A highlight that recolours
// one segment gives that segment a colour array of its own and leaves the others as they
// are. Tubes may be made on several threads at once.
namespace PipeBodies {

// A geode over the tube of radius `radius` from the origin to (0, length, 0), in `colour`.
osg::Geode* roundTube(double radius, const osg::Vec4& colour, double length);

// While one lives on a thread, the tubes made there keep their vertices in one buffer of
// its own instead of one buffer each (a few hundred bytes a tube, and one driver buffer
// per tile instead of thousands). For the span of building one tile, which no other thread
// sees until it is done; scopes do not nest.
class SharedTubeBuffer {
public:
    SharedTubeBuffer();
    ~SharedTubeBuffer();
    SharedTubeBuffer(const SharedTubeBuffer&) = delete;
    SharedTubeBuffer& operator=(const SharedTubeBuffer&) = delete;
};

} // namespace PipeBodies
