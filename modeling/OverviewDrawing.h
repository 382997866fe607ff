#pragma once

#include <osg/Node>
#include <osg/StateSet>
#include <osg/Vec3d>
#include <osg/Vec4>
#include <osg/ref_ptr>

#include <string>
#include <vector>

namespace osg {
class Geode;
}

// A light drawing of part of the network, for seeing it whole from afar: each kind's
// segments as lines and its points as dots, in the kind's colour, unlit, at the heights
// the tubes and wells are placed at. One geometry per kind (lines, then points); the
// vertices are kept relative to an origin, which a transform puts back in double
// precision, so map coordinates of millions of metres keep their centimetres.
class OverviewDrawing {
public:
    // The name of the geode that holds the kinds' geometries.
    static constexpr const char* GeodeName = "overview";

    explicit OverviewDrawing(const osg::Vec3d& origin);

    // One kind: `lineEnds` holds the two ends of each segment in turn, `points` the
    // points; the geometry is named `name`. Nothing is added (null) when both are empty.
    osg::Node* addKind(const std::string& name, const osg::Vec4& colour,
                       const std::vector<osg::Vec3d>& lineEnds, const std::vector<osg::Vec3d>& points);

    // The drawing: a transform named `name` to the origin over the geode of the kinds.
    osg::ref_ptr<osg::Node> build(const std::string& name);

    // Lighting off, no shader (the pipe group's colour shader is not inherited), the
    // vertex colours as they are, points of a few pixels. Shared by every drawing.
    static osg::StateSet* sharedStateSet();

private:
    osg::Vec3d origin;
    osg::ref_ptr<osg::Geode> geode;
};
