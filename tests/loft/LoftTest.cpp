#include "loft/Loft.h"

#include <osg/Math>

#include <gtest/gtest.h>

#include <cmath>

using osgModeling::Curve;
using osgModeling::Loft;

namespace {

osg::ref_ptr<Curve> circle(float r, int stepDegrees, bool clockwise = false) {
    osg::ref_ptr<osg::Vec3Array> points = new osg::Vec3Array;
    for (int a = 0; a <= 360; a += stepDegrees) {
        const float rad = static_cast<float>(osg::DegreesToRadians(static_cast<double>(clockwise ? -a : a)));
        points->push_back(osg::Vec3(r * std::cos(rad), r * std::sin(rad), 0.0f));
    }
    osg::ref_ptr<Curve> curve = new Curve;
    curve->setPath(points.get());
    return curve;
}

osg::ref_ptr<Curve> polyline(std::initializer_list<osg::Vec3> points) {
    osg::ref_ptr<Curve> curve = new Curve;
    for (const osg::Vec3& p : points)
        curve->addPathPoint(p);
    return curve;
}

osg::ref_ptr<Loft> loft(Curve* path, Curve* section) {
    osg::ref_ptr<Loft> result = new Loft;
    result->setProfile(path);
    result->addShape(section);
    result->update(false);
    return result;
}

const osg::Vec3Array& vertices(const Loft& l) {
    return *static_cast<const osg::Vec3Array*>(l.getVertexArray());
}
const osg::Vec3Array& normals(const Loft& l) {
    return *static_cast<const osg::Vec3Array*>(l.getNormalArray());
}
const osg::Vec2Array& texCoords(const Loft& l) {
    return *static_cast<const osg::Vec2Array*>(l.getTexCoordArray(0));
}

unsigned triangleCount(const Loft& l) {
    return l.getNumPrimitiveSets() ? l.getPrimitiveSet(0)->getNumIndices() / 3 : 0u;
}

// Every triangle must face where its vertices' normals point, or the colour shader
// lights the inside of the pipe.
void expectTrianglesFaceTheirNormals(const Loft& l) {
    ASSERT_EQ(l.getNumPrimitiveSets(), 1u);
    const osg::PrimitiveSet* triangles = l.getPrimitiveSet(0);
    for (unsigned t = 0; t + 2 < triangles->getNumIndices(); t += 3) {
        const unsigned a = triangles->index(t), b = triangles->index(t + 1), c = triangles->index(t + 2);
        const osg::Vec3 face = (vertices(l)[b] - vertices(l)[a]) ^ (vertices(l)[c] - vertices(l)[a]);
        EXPECT_GT(face * (normals(l)[a] + normals(l)[b] + normals(l)[c]), 0.0f) << "triangle " << t / 3;
    }
}

} // namespace

TEST(Loft, RoundPipeAlongAStraightPathHasOneRingPerPathPointAndOutwardNormals) {
    const osg::Vec3 end(0.0f, 12.0f, 0.0f);
    osg::ref_ptr<Loft> pipe = loft(polyline({{0, 0, 0}, end}).get(), circle(0.15f, 10).get());
    // 36 facets: the seam appears twice so the texture wraps once round.
    ASSERT_EQ(vertices(*pipe).size(), 37u * 2u);
    EXPECT_EQ(triangleCount(*pipe), 36u * 2u);
    for (size_t i = 0; i < vertices(*pipe).size(); ++i) {
        const osg::Vec3& v = vertices(*pipe)[i];
        const osg::Vec3& n = normals(*pipe)[i];
        const osg::Vec3 radial(v.x(), 0.0f, v.z());
        EXPECT_NEAR(radial.length(), 0.15f, 1e-5f);
        EXPECT_NEAR(n.length(), 1.0f, 1e-5f);
        EXPECT_NEAR(n.y(), 0.0f, 1e-6f) << "normals lie across the path";
        EXPECT_GT(n * radial, 0.149f) << "normal " << i << " points outwards";
        EXPECT_NEAR(v.y(), i < 37 ? 0.0f : 12.0f, 1e-5f);
    }
    expectTrianglesFaceTheirNormals(*pipe);
}

TEST(Loft, SectionXStaysUpAcrossAPathAlongY) {
    // Tunnel and box-culvert sections give their height on x: it must come out across
    // the local x axis, the width across z.
    osg::ref_ptr<Curve> rectangle =
        polyline({{-1.5f, -2, 0}, {1.5f, -2, 0}, {1.5f, 2, 0}, {-1.5f, 2, 0}, {-1.5f, -2, 0}});
    osg::ref_ptr<Loft> tunnel = loft(polyline({{0, 0, 0}, {0, 10, 0}}).get(), rectangle.get());
    for (const osg::Vec3& v : vertices(*tunnel)) {
        EXPECT_FLOAT_EQ(std::fabs(v.x()), 1.5f);
        EXPECT_FLOAT_EQ(std::fabs(v.z()), 2.0f);
    }
}

TEST(Loft, BoxSectionKeepsSharpCornersWithNormalsOffTheFaces) {
    osg::ref_ptr<Curve> square =
        polyline({{-0.4f, -0.4f, 0}, {0.4f, -0.4f, 0}, {0.4f, 0.4f, 0}, {-0.4f, 0.4f, 0}, {-0.4f, -0.4f, 0}});
    osg::ref_ptr<Loft> shaft = loft(polyline({{0, 0, -0.2f}, {0, 0, 1.5f}}).get(), square.get());
    // Four faces, each with its own two edges of vertices.
    ASSERT_EQ(vertices(*shaft).size(), 8u * 2u);
    EXPECT_EQ(triangleCount(*shaft), 4u * 2u);
    for (size_t i = 0; i < vertices(*shaft).size(); ++i) {
        const osg::Vec3& n = normals(*shaft)[i];
        EXPECT_FLOAT_EQ(std::fabs(n.x()) + std::fabs(n.y()), 1.0f) << "face normal, not a corner average";
        EXPECT_GT(n * vertices(*shaft)[i], 0.0f);
    }
    expectTrianglesFaceTheirNormals(*shaft);
}

TEST(Loft, ClockwiseSectionsAndDownwardPathsStillFaceOutwards) {
    for (const osg::Vec3 end : {osg::Vec3(0, 0, -3), osg::Vec3(5, -2, 1), osg::Vec3(-4, 0, 0)}) {
        osg::ref_ptr<Loft> pipe = loft(polyline({{0, 0, 0}, end}).get(), circle(1.0f, 20, true).get());
        ASSERT_EQ(vertices(*pipe).size(), 19u * 2u);
        osg::Vec3 axis = end;
        axis.normalize();
        for (size_t i = 0; i < vertices(*pipe).size(); ++i) {
            const osg::Vec3& v = vertices(*pipe)[i];
            const osg::Vec3 radial = v - axis * (v * axis);
            EXPECT_NEAR(radial.length(), 1.0f, 1e-4f);
            EXPECT_GT(normals(*pipe)[i] * radial, 0.99f);
        }
        expectTrianglesFaceTheirNormals(*pipe);
    }
}

TEST(Loft, TextureRunsOnceAroundTheSectionAndOnceAlongThePath) {
    osg::ref_ptr<Loft> pipe = loft(polyline({{0, 0, 0}, {0, 0, 4}}).get(), circle(0.5f, 60).get());
    const osg::Vec2Array& st = texCoords(*pipe);
    ASSERT_EQ(st.size(), 7u * 2u);
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_NEAR(st[i].x(), i / 6.0f, 1e-5f);
        EXPECT_EQ(st[i].y(), 0.0f);
        EXPECT_EQ(st[i + 7].y(), 1.0f);
    }
}

TEST(Loft, OpenSectionSweepsToAnOpenStrip) {
    const float h = std::sqrt(0.5f);
    osg::ref_ptr<Curve> arc = polyline({{1, 0, 0}, {h, h, 0}, {0, 1, 0}, {-h, h, 0}, {-1, 0, 0}});
    osg::ref_ptr<Loft> strip = loft(polyline({{0, 0, 0}, {0, 0, 2}}).get(), arc.get());
    ASSERT_EQ(vertices(*strip).size(), 5u * 2u);
    EXPECT_EQ(triangleCount(*strip), 4u * 2u) << "no face closes the strip back to its start";
    for (size_t i = 0; i < vertices(*strip).size(); ++i)
        EXPECT_GT(normals(*strip)[i] * vertices(*strip)[i], 0.0f) << "outside of a counter-clockwise arc";
    expectTrianglesFaceTheirNormals(*strip);
}

TEST(Loft, DegeneratePathsAndSectionsGiveAnEmptySurface) {
    osg::ref_ptr<Curve> pipeCircle = circle(1.0f, 10);
    EXPECT_TRUE(vertices(*loft(polyline({{1, 1, 1}, {1, 1, 1}}).get(), pipeCircle.get())).empty());
    EXPECT_TRUE(vertices(*loft(polyline({{1, 1, 1}}).get(), pipeCircle.get())).empty());
    EXPECT_TRUE(vertices(*loft(nullptr, pipeCircle.get())).empty());
    // A diameter that read as 0: every section point at the centre.
    EXPECT_TRUE(vertices(*loft(polyline({{0, 0, 0}, {0, 5, 0}}).get(), circle(0.0f, 10).get())).empty());
    osg::ref_ptr<Loft> noSection = new Loft;
    noSection->setProfile(polyline({{0, 0, 0}, {0, 5, 0}}).get());
    noSection->update(false);
    EXPECT_TRUE(vertices(*noSection).empty());
    EXPECT_EQ(noSection->getNumPrimitiveSets(), 0u);
}

TEST(Loft, BuildsWithoutAnExplicitUpdateAndRebuildsWhenACurveChanges) {
    osg::ref_ptr<Curve> path = polyline({{0, 0, 0}, {0, 3, 0}});
    osg::ref_ptr<Loft> pipe = new Loft;
    pipe->setProfile(path.get());
    pipe->addShape(circle(1.0f, 60).get());
    ASSERT_EQ(vertices(*pipe).size(), 14u);
    path->addPathPoint(osg::Vec3(0, 6, 0));
    pipe->update(false);
    EXPECT_EQ(vertices(*pipe).size(), 21u);
    EXPECT_EQ(pipe->getBound().radius() > 2.9f, true);
}

TEST(Loft, BentPathKeepsTheSectionAcrossEachLegWithoutTwisting) {
    osg::ref_ptr<Loft> elbow =
        loft(polyline({{0, 0, 0}, {0, 10, 0}, {10, 10, 0}}).get(), circle(1.0f, 30).get());
    ASSERT_EQ(vertices(*elbow).size(), 3u * 13u);
    // Start and end rings are square to their legs, and the turn about the vertical
    // does not roll the section: its vertical offsets stay.
    for (size_t i = 0; i < 13; ++i) {
        EXPECT_NEAR(vertices(*elbow)[i].y(), 0.0f, 1e-5f);
        EXPECT_NEAR(vertices(*elbow)[26 + i].x(), 10.0f, 1e-5f);
        EXPECT_NEAR(vertices(*elbow)[26 + i].z(), vertices(*elbow)[i].z(), 1e-5f);
    }
    EXPECT_NEAR(vertices(*elbow)[0].x(), 1.0f, 1e-5f);
    expectTrianglesFaceTheirNormals(*elbow);
}
