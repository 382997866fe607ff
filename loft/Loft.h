#pragma once

#include "loft/Curve.h"
#include "loft/LoftExport.h"

#include <osg/Geometry>
#include <osg/ref_ptr>

#include <vector>

namespace osgModeling {

// A section curve swept along a path: the wall of a pipe, a well shaft or a tunnel.
//
// The section is drawn in its own x-y plane and set across the path: its z axis turns
// onto the path direction by the shortest rotation, so for a path along +y the
// section's x stays x (up, for the pipe frames used here) and its y runs along -z.
// Normals point away from the section's inside (to the right of the direction of
// travel for an open section), and triangles face the same way, so the colour shader
// lights the outside. Texture s runs 0..1 around the section, t 0..1 along the path:
// one image wraps a well wall or a tunnel segment once.
//
// The surface is built as soon as a path and a section are both given; vertex colours
// are the caller's and never touched.
class LOFT_EXPORT Loft : public osg::Geometry {
public:
    Loft();
    Loft(const Loft& other, const osg::CopyOp& copyop = osg::CopyOp::SHALLOW_COPY);
    META_Object(osgModeling, Loft)

        void setProfile(Curve* path);
    Curve* getProfile() const { return _profile.get(); }
    // Sections are set at the path points in order; the last one given carries on to
    // the end of the path. Sections that do not have the same shape of vertices
    // cannot be joined and give no surface.
    void addShape(Curve* section);
    const std::vector<osg::ref_ptr<Curve>>& getShapes() const { return _shapes; }

    // Rebuilds the surface; unless forced, only when a curve changed since the last
    // build.
    void update(bool force = true);

protected:
    ~Loft() override = default;

private:
    void build();
    unsigned curvesModifiedCount() const;

    osg::ref_ptr<Curve> _profile;
    std::vector<osg::ref_ptr<Curve>> _shapes;
    unsigned _builtCount = 0;
    bool _built = false;
};

} // namespace osgModeling
