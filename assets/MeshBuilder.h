#pragma once

#include <osg/Array>
#include <osg/Geode>
#include <osg/Matrix>
#include <osg/ref_ptr>

#include <string>

// Collects lit, per-vertex coloured triangles for one equipment model from a few solids
// (frusta, boxes, spheres, tori), in metres with z up. build() gives one geode with one
// geometry and a material that takes its colours from the vertices.
class MeshBuilder {
public:
    MeshBuilder();

    void setColor(const osg::Vec4& colour) { colour_ = colour; }

    // A round (or, with few segments, prismatic) frustum from p0 to p1, radius r0 at p0 and
    // r1 at p1, closed at both ends when caps is true.
    void cylinder(const osg::Vec3& p0, const osg::Vec3& p1, float r0, float r1, int segments = 24,
                  bool caps = true);
    // An axis-aligned box between two corners.
    void box(const osg::Vec3& min, const osg::Vec3& max);
    // A unit cube (-0.5..0.5) placed by a matrix: rotated or sheared boxes.
    void box(const osg::Matrix& m);
    void sphere(const osg::Vec3& centre, float radius, int segments = 16);
    // A ring of tube radius r around centre, in the plane normal to axis, radius R.
    void torus(const osg::Vec3& centre, const osg::Vec3& axis, float R, float r, int segments = 32);

    osg::ref_ptr<osg::Geode> build(const std::string& name) const;

private:
    void vertex(const osg::Vec3& v, const osg::Vec3& n);
    void quad(const osg::Vec3& a, const osg::Vec3& b, const osg::Vec3& c, const osg::Vec3& d,
              const osg::Vec3& na, const osg::Vec3& nb, const osg::Vec3& nc, const osg::Vec3& nd);

    osg::ref_ptr<osg::Vec3Array> vertices_, normals_;
    osg::ref_ptr<osg::Vec4Array> colours_;
    osg::Vec4 colour_{0.5f, 0.5f, 0.5f, 1.f};
};
