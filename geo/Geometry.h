#pragma once

#include "geo/GeoExport.h"

#include <osg/Array>
#include <osg/Referenced>
#include <osg/ref_ptr>

#include <vector>

namespace osgEarth {
namespace Symbology {

// A feature's shape as parts: each line of a multi-line, each ring of a polygon
// (closed: its last point repeats the first), or the points of a point feature. A
// line layer lays one chain of pipes per line or ring part and never joins parts.
class GEO_EXPORT Geometry : public osg::Referenced {
public:
    enum PartType { POINTS, LINE, RING };
    struct Part {
        PartType type;
        osg::ref_ptr<osg::Vec3dArray> points;
    };

    void addPart(PartType type, osg::Vec3dArray* points) { _parts.push_back({type, points}); }
    const std::vector<Part>& getParts() const { return _parts; }
    // Every point of every part, in order, in one new array.
    osg::Vec3dArray* createVec3dArray() const;

protected:
    ~Geometry() override = default;

private:
    std::vector<Part> _parts;
};

} // namespace Symbology
} // namespace osgEarth
