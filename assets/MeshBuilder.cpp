#include "assets/MeshBuilder.h"

#include <osg/Geometry>
#include <osg/Material>

#include <cmath>

namespace {
// Two unit vectors spanning the plane normal to axis.
void basis(const osg::Vec3& axis, osg::Vec3& u, osg::Vec3& v) {
    osg::Vec3 a = axis;
    a.normalize();
    u = std::fabs(a.z()) < 0.9f ? a ^ osg::Vec3(0, 0, 1) : a ^ osg::Vec3(1, 0, 0);
    u.normalize();
    v = a ^ u;
}
} // namespace

MeshBuilder::MeshBuilder()
    : vertices_(new osg::Vec3Array), normals_(new osg::Vec3Array), colours_(new osg::Vec4Array) {}

void MeshBuilder::vertex(const osg::Vec3& v, const osg::Vec3& n) {
    vertices_->push_back(v);
    normals_->push_back(n);
    colours_->push_back(colour_);
}

void MeshBuilder::quad(const osg::Vec3& a, const osg::Vec3& b, const osg::Vec3& c, const osg::Vec3& d,
                       const osg::Vec3& na, const osg::Vec3& nb, const osg::Vec3& nc, const osg::Vec3& nd) {
    vertex(a, na);
    vertex(b, nb);
    vertex(c, nc);
    vertex(a, na);
    vertex(c, nc);
    vertex(d, nd);
}

void MeshBuilder::cylinder(const osg::Vec3& p0, const osg::Vec3& p1, float r0, float r1, int segments,
                           bool caps) {
    osg::Vec3 axis = p1 - p0;
    const float length = axis.length();
    if (length <= 0.f)
        return;
    axis /= length;
    osg::Vec3 u, v;
    basis(axis, u, v);
    // The side normal leans toward the narrow end by the slope of the frustum.
    const float slope = (r0 - r1) / length;
    for (int i = 0; i < segments; ++i) {
        const float a0 = 2.f * osg::PIf * i / segments, a1 = 2.f * osg::PIf * (i + 1) / segments;
        const osg::Vec3 d0 = u * std::cos(a0) + v * std::sin(a0), d1 = u * std::cos(a1) + v * std::sin(a1);
        osg::Vec3 n0 = d0 + axis * slope, n1 = d1 + axis * slope;
        n0.normalize();
        n1.normalize();
        if (segments < 8) { // a prism: flat faces
            osg::Vec3 nf = (d0 + d1) + axis * slope * 2.f;
            nf.normalize();
            n0 = n1 = nf;
        }
        quad(p0 + d0 * r0, p0 + d1 * r0, p1 + d1 * r1, p1 + d0 * r1, n0, n1, n1, n0);
        if (caps) {
            vertex(p0, -axis), vertex(p0 + d1 * r0, -axis), vertex(p0 + d0 * r0, -axis);
            vertex(p1, axis), vertex(p1 + d0 * r1, axis), vertex(p1 + d1 * r1, axis);
        }
    }
}

void MeshBuilder::box(const osg::Vec3& min, const osg::Vec3& max) {
    box(osg::Matrix::scale(max - min) * osg::Matrix::translate((min + max) * 0.5f));
}

void MeshBuilder::box(const osg::Matrix& m) {
    auto p = [&](float x, float y, float z) { return osg::Vec3(x, y, z) * m; };
    auto face = [&](const osg::Vec3& a, const osg::Vec3& b, const osg::Vec3& c, const osg::Vec3& d) {
        osg::Vec3 n = (b - a) ^ (c - a);
        n.normalize();
        quad(a, b, c, d, n, n, n, n);
    };
    const float h = 0.5f;
    face(p(-h, -h, -h), p(-h, h, -h), p(h, h, -h), p(h, -h, -h)); // bottom
    face(p(-h, -h, h), p(h, -h, h), p(h, h, h), p(-h, h, h));     // top
    face(p(-h, -h, -h), p(h, -h, -h), p(h, -h, h), p(-h, -h, h)); // front (-y)
    face(p(h, h, -h), p(-h, h, -h), p(-h, h, h), p(h, h, h));     // back
    face(p(h, -h, -h), p(h, h, -h), p(h, h, h), p(h, -h, h));     // right
    face(p(-h, h, -h), p(-h, -h, -h), p(-h, -h, h), p(-h, h, h)); // left
}

void MeshBuilder::sphere(const osg::Vec3& centre, float radius, int segments) {
    const int rings = segments / 2;
    auto dir = [&](int i, int j) {
        const float lon = 2.f * osg::PIf * i / segments, lat = osg::PIf * j / rings - osg::PI_2f;
        return osg::Vec3(std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat));
    };
    for (int j = 0; j < rings; ++j)
        for (int i = 0; i < segments; ++i) {
            const osg::Vec3 a = dir(i, j), b = dir(i + 1, j), c = dir(i + 1, j + 1), d = dir(i, j + 1);
            quad(centre + a * radius, centre + b * radius, centre + c * radius, centre + d * radius, a, b, c,
                 d);
        }
}

void MeshBuilder::torus(const osg::Vec3& centre, const osg::Vec3& axis, float R, float r, int segments) {
    osg::Vec3 u, v, a = axis;
    a.normalize();
    basis(a, u, v);
    const int sides = 10;
    auto at = [&](int i, int j, osg::Vec3& normal) {
        const float t = 2.f * osg::PIf * i / segments, s = 2.f * osg::PIf * j / sides;
        const osg::Vec3 radial = u * std::cos(t) + v * std::sin(t);
        normal = radial * std::cos(s) + a * std::sin(s);
        return centre + radial * R + normal * r;
    };
    for (int i = 0; i < segments; ++i)
        for (int j = 0; j < sides; ++j) {
            osg::Vec3 na, nb, nc, nd;
            const osg::Vec3 pa = at(i, j, na), pb = at(i + 1, j, nb), pc = at(i + 1, j + 1, nc),
                            pd = at(i, j + 1, nd);
            quad(pa, pb, pc, pd, na, nb, nc, nd);
        }
}

osg::ref_ptr<osg::Geode> MeshBuilder::build(const std::string& name) const {
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setVertexArray(new osg::Vec3Array(*vertices_));
    geometry->setNormalArray(new osg::Vec3Array(*normals_), osg::Array::BIND_PER_VERTEX);
    geometry->setColorArray(new osg::Vec4Array(*colours_), osg::Array::BIND_PER_VERTEX);
    geometry->addPrimitiveSet(new osg::DrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices_->size())));

    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->setName(name);
    geode->addDrawable(geometry);
    // Colours live on the vertices; the material only says so and adds a little sheen.
    osg::ref_ptr<osg::Material> material = new osg::Material;
    material->setColorMode(osg::Material::AMBIENT_AND_DIFFUSE);
    material->setSpecular(osg::Material::FRONT_AND_BACK, osg::Vec4(0.25f, 0.25f, 0.25f, 1.f));
    material->setShininess(osg::Material::FRONT_AND_BACK, 24.f);
    geode->getOrCreateStateSet()->setAttributeAndModes(material);
    return geode;
}
