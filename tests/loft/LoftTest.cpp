#include "loft/Loft.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace osgModeling;

namespace {

osg::ref_ptr<Curve> polyline(const std::vector<osg::Vec3>& points) {
    osg::ref_ptr<Curve> curve = new Curve;
    curve->setPath(new osg::Vec3Array(points.begin(), points.end()));
    return curve;
}

// Points on a circle from angle 0 over `sweep` degrees (negative: clockwise); 360 closes
// it, and a step of 90 makes it a square standing on a corner.
osg::ref_ptr<Curve> arc(float r, int step, int sweep = 360) {
    std::vector<osg::Vec3> points;
    const double toRadians = (sweep < 0 ? -M_PI : M_PI) / 180.0;
    for (int a = 0; a <= std::abs(sweep); a += step)
        points.emplace_back(r * std::cos(a * toRadians), r * std::sin(a * toRadians), 0.0);
    return polyline(points);
}

osg::ref_ptr<Loft> loft(Curve* path, Curve* section) {
    osg::ref_ptr<Loft> result = new Loft;
    result->setProfile(path);
    result->addShape(section);
    return result;
}

} // namespace

// Rings at both path ends, the seam given twice so the texture wraps once, normals out of
// the section and across the path, and triangles facing their normals (or the colour
// shader lights the inside of the pipe), whichever way the section and the path run.
TEST(Loft, SweptSectionsFaceOutwardsWithTheirTextureWrappedOnce) {
    // radius: 0 for sections that are not round; flat: corners split, so every corner of a
    // triangle carries the face's own normal.
    struct Case {
        osg::ref_ptr<Curve> section;
        osg::Vec3 end;
        unsigned ring, triangles;
        float radius;
        bool flat;
    } cases[] = {
        {arc(0.15f, 10), {0, 12, 0}, 37, 72, 0.15f, false},     // 36-facet pipe
        {arc(1.0f, 20, -360), {0, 0, -3}, 19, 36, 1.0f, false}, // clockwise, downwards
        {arc(1.0f, 20, -360), {5, -2, 1}, 19, 36, 1.0f, false}, // clockwise, slanted
        {arc(1.0f, 20, -360), {-4, 0, 0}, 19, 36, 1.0f, false}, // clockwise, westwards
        {arc(0.5f, 90), {0, 0, 1.7f}, 8, 8, 0.0f, true},        // square shaft
        {arc(1.0f, 45, 180), {0, 0, 2}, 5, 8, 0.0f, false},     // open half circle
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        osg::ref_ptr<Loft> pipe = loft(polyline({{0, 0, 0}, c.end}).get(), c.section.get());
        const auto& v = *static_cast<const osg::Vec3Array*>(pipe->getVertexArray());
        const auto& n = *static_cast<const osg::Vec3Array*>(pipe->getNormalArray());
        const auto& st = *static_cast<const osg::Vec2Array*>(pipe->getTexCoordArray(0));
        ASSERT_TRUE(v.size() == 2u * c.ring && n.size() == v.size() && st.size() == v.size()) << v.size();
        ASSERT_EQ(pipe->getNumPrimitiveSets(), 1u);
        const osg::PrimitiveSet& triangles = *pipe->getPrimitiveSet(0);
        ASSERT_EQ(triangles.getNumIndices(), 3u * c.triangles);
        const osg::Vec3 axis = c.end / c.end.length();
        for (size_t i = 0; i < v.size(); ++i) {
            const osg::Vec3 radial = v[i] - axis * (v[i] * axis);
            EXPECT_NEAR(v[i] * axis, i < c.ring ? 0.0f : c.end.length(), 1e-4f) << i;
            EXPECT_TRUE(std::fabs(n[i].length() - 1.0f) < 1e-5f && std::fabs(n[i] * axis) < 1e-5f) << i;
            EXPECT_GT(n[i] * radial, 0.99f * c.radius) << i;
            EXPECT_EQ(st[i].y(), i < c.ring ? 0.0f : 1.0f) << i;
            if (c.radius) {
                EXPECT_NEAR(radial.length(), c.radius, 1e-4f) << i;
                EXPECT_NEAR(st[i].x(), float(i % c.ring) / (c.ring - 1), 1e-5f) << i;
            }
        }
        EXPECT_TRUE(st[0].x() == 0.0f && st[c.ring - 1].x() == 1.0f);
        for (unsigned t = 0; t < triangles.getNumIndices(); t += 3) {
            const unsigned a = triangles.index(t), b = triangles.index(t + 1), d = triangles.index(t + 2);
            osg::Vec3 face = (v[b] - v[a]) ^ (v[d] - v[a]);
            face.normalize();
            EXPECT_GT(face * (n[a] + n[b] + n[d]), c.flat ? 2.9999f : 0.0f) << "triangle " << t / 3;
        }
    }
}

TEST(Loft, BentPathKeepsTheSectionUprightAndSquareToEachLeg) {
    // Tunnel and box-culvert sections give their height on x: along level ground it stays
    // on the world's x for a leg along y, and the turn about the vertical does not roll it.
    osg::ref_ptr<Curve> square = arc(1.0f, 90);
    osg::ref_ptr<Loft> elbow = loft(polyline({{0, 0, 0}, {0, 10, 0}, {10, 10, 0}}).get(), square.get());
    const auto& v = *static_cast<const osg::Vec3Array*>(elbow->getVertexArray());
    ASSERT_EQ(v.size(), 3u * 8u);
    for (size_t i = 0; i < 8; ++i) {
        const osg::Vec3 s = square->getPath()->at((i + 1) / 2 % 4);
        EXPECT_NEAR((v[i] - osg::Vec3(s.x(), 0, -s.y())).length(), 0.0f, 1e-5f) << i;
        EXPECT_NEAR((v[16 + i] - osg::Vec3(10, 10 - s.x(), -s.y())).length(), 0.0f, 1e-5f) << i;
    }
}

TEST(Loft, DegeneratePathsAndSectionsGiveAnEmptySurface) {
    osg::ref_ptr<Curve> round = arc(1.0f, 10), path = polyline({{0, 0, 0}, {0, 5, 0}});
    osg::ref_ptr<Loft> unlike = loft(path.get(), round.get());
    unlike->addShape(arc(1.0f, 60).get()); // sections of different shapes cannot be joined
    // A diameter that read as 0 puts every section point at the centre.
    for (const osg::ref_ptr<Loft>& empty :
         {loft(polyline({{1, 1, 1}, {1, 1, 1}}).get(), round.get()),
          loft(polyline({{1, 1, 1}}).get(), round.get()), loft(nullptr, round.get()),
          loft(path.get(), arc(0.0f, 10).get()), loft(path.get(), nullptr), unlike})
        EXPECT_EQ(empty->getVertexArray()->getNumElements() + empty->getNumPrimitiveSets(), 0u);
}

TEST(Loft, RebuildsWhenACurveChanges) {
    osg::ref_ptr<Curve> path = polyline({{0, 0, 0}, {0, 3, 0}});
    osg::ref_ptr<Loft> pipe = loft(path.get(), arc(1.0f, 60).get());
    EXPECT_FLOAT_EQ(pipe->getBound().center().y(), 1.5f);
    path->addPathPoint(osg::Vec3(0, 6, 0));
    pipe->update(false);
    EXPECT_FLOAT_EQ(pipe->getBound().center().y(), 3.0f);
}
