// The host's answers to the tools (the trench outline, the texts), the tunnel tool on a
// viewer of its own, and both driven through the host as a person drives them.
#include "Host.h"

#include "answers/ToolAnswers.h"
#include "answers/TrenchOutline.h"
#include "tools/CXSetUpTunnelHandler.h"
#include "tools/TunnelBuilder.h"

#include "Selmor/CXViewer.h"

#include <osg/ComputeBoundsVisitor>
#include <osg/Geode>
#include <osg/MatrixTransform>
#include <osg/Texture2D>
#include <osgDB/ReadFile>

#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>

namespace {

double cross(const osg::Vec2d& a, const osg::Vec2d& b) {
    return a.x() * b.y() - a.y() * b.x();
}

double toSegment(const osg::Vec2d& p, const osg::Vec2d& a, const osg::Vec2d& b, bool unbounded) {
    osg::Vec2d d = b - a;
    double t = ((p - a) * d) / d.length2();
    return (p - (a + d * (unbounded ? t : std::clamp(t, 0.0, 1.0)))).length();
}

// World-space bounds of everything under `node`.
osg::BoundingBox boundsOf(const osg::Node* node) {
    osg::ComputeBoundsVisitor bounds;
    const_cast<osg::Node*>(node)->accept(bounds);
    return bounds.getBoundingBox();
}

} // namespace

TEST(TrenchOutline, EdgesLieHalfAWidthOffTheLineInStripOrderWithoutSpikes) {
    const double w = 0.6, h = w / 2, rad = M_PI / 180;
    auto bent = [&](double turn) {
        return std::vector<osg::Vec2d>{
            {0, 0}, {5, 0}, {5 + 5 * std::cos(turn * rad), 5 * std::sin(turn * rad)}};
    };
    const struct {
        const char* name;
        std::vector<osg::Vec2d> line;
        size_t pairs;
        double area; // of the strip, in width times length: a bevel cuts a corner off
    } cases[] = {{"straight", {{0, 0}, {4, 3}}, 2, 1},
                 {"bent 30", bent(30), 3, 1},
                 {"bent -30", bent(-30), 3, 1},
                 {"bent 150", bent(150), 4, 0.9},
                 {"bent -150", bent(-150), 4, 0.9},
                 {"doubles back", {{0, 0}, {5, 0}, {1, 0}}, 4, 1},
                 {"duplicates", {{0, 0}, {0, 0}, {5, 0}, {5, 0}, {5, 0}, {5, 5}}, 3, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<osg::Vec2d> outline = TrenchOutline::compute(c.line, w),
                                line = TrenchOutline::distinctPoints(c.line);
        ASSERT_EQ(outline.size(), 2 * c.pairs);
        for (const osg::Vec2d& p : outline) {
            double nearest = HUGE_VAL, offLine = HUGE_VAL;
            for (size_t i = 0; i + 1 < line.size(); ++i) {
                nearest = std::min(nearest, toSegment(p, line[i], line[i + 1], false));
                offLine = std::min(offLine, std::fabs(toSegment(p, line[i], line[i + 1], true) - h));
            }
            // Half a width off the edge of a segment, never closer to the line, and a mitre
            // stays within the limit.
            EXPECT_NEAR(offLine, 0.0, 1e-9);
            EXPECT_GE(nearest, h - 1e-9);
            EXPECT_LE(nearest, TrenchOutline::MitreLimit * h + 1e-9);
        }
        // Left edge forward then right edge back (the walls' walk) goes clockwise, and so
        // does every quad of the strip: a left and right swapped anywhere would twist one.
        double area = 0, length = 0;
        std::vector<osg::Vec2d> walk;
        for (size_t i = 0; i < outline.size(); i += 2)
            walk.push_back(outline[i]);
        for (size_t i = outline.size() - 1; i < outline.size(); i -= 2)
            walk.push_back(outline[i]);
        for (size_t i = 0; i < walk.size(); ++i)
            area += cross(walk[i], walk[(i + 1) % walk.size()]);
        for (size_t i = 0; i + 1 < line.size(); ++i)
            length += (line[i + 1] - line[i]).length();
        for (size_t k = 0; k + 3 < outline.size(); k += 2) {
            const osg::Vec2d &l0 = outline[k], &r0 = outline[k + 1], &l1 = outline[k + 2],
                             &r1 = outline[k + 3];
            EXPECT_LE(cross(l1 - l0, r1 - l1), 1e-9);
            EXPECT_LE(cross(r0 - r1, l0 - r0), 1e-9);
        }
        EXPECT_LE(-area / 2, w * length + 1e-9);
        EXPECT_GE(-area / 2, w * length * c.area - 1e-9);
    }
    EXPECT_TRUE(TrenchOutline::compute({{1, 1}, {1, 1}}, w).empty());
    EXPECT_TRUE(TrenchOutline::compute({{0, 0}, {NAN, 1}}, w).empty());
}

TEST(ToolAnswers, EachReportGetsItsToolsMessageAndMalformedOnesNone) {
    ToolAnswers answers;
    answers.setGround([](double, double y) { return 20.0 + y / 100; });
    EXPECT_FALSE(answers.setSettings({0.6, -1, 2}));
    ASSERT_TRUE(answers.setSettings({0.6, 1.5, 2}));
    const std::string far = "529948.1234567,3383965.7654321,529958.1234567,3383965.7654321,";
    const std::string cases[][3] = {
        {"沿线开挖", "0,0,10,0,", "沿线开挖\tDigByLine:1.5,0,0.3,0,-0.3,10,0.3,10,-0.3"},
        // Every digit of the drawn line survives.
        {"沿线开挖", far,
         "沿线开挖\tDigByLine:1.5,529948.1234567,3383966.0654320996,529948.1234567,3383965.4654321,"
         "529958.1234567,3383966.0654320996,529958.1234567,3383965.4654321"},
        {"区域开挖", "1,2,3,4,5,6,", "区域开挖\tDigByRegion:1.5"},
        // The top 1.5 m below the lowest ground along the line.
        {"SetUpTunnel", "0.5,100,10,-200,", "创建隧道\tSetUpTunnel:0.6,2,-16.5,0.5,100,10,-200"},
        {"沿线开挖", "5,5,5,5,", ""},
        {"沿线开挖", "1,2,3,", ""},
        {"SetUpTunnel", "1,x,", ""},
        {"区域开挖", "", ""},
        {"SetUpTunnel", "nan,0,1,1,", ""},
        {"Transect", "0,0,1,1,", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0] + " " + c[1]);
        std::string problem;
        auto answer = answers.answer(c[0], c[1], problem);
        EXPECT_EQ(answer ? answer->tool + "\t" + answer->text : "", c[2]);
        EXPECT_EQ(problem.empty(), answer || c[0] == "Transect");
    }
}

TEST(Tunnel, ABoxOfTheSectionAlongEachSegmentTexturedAndDeletedWithoutTouchingTheRest) {
    CXViewer viewer;
    osg::ref_ptr<CXSetUpTunnelHandler> tool = new CXSetUpTunnelHandler;
    const unsigned children = viewer.getRoot()->getNumChildren();
    for (const char* message : {"删除隧道", "SetUpTunnel:4,3,2,0,0", "SetUpTunnel:4,3,1e999,0,0,10,0",
                                "SetUpTunnel:0,3,2,0,0,10,0"})
        tool->OnMessage(message);
    EXPECT_EQ(viewer.getRoot()->getNumChildren(), children);
    EXPECT_FALSE(tool->tunnels());

    tool->OnMessage("SetUpTunnel:4,3,2,0,0,10,0,7"); // a lone x is not read
    ASSERT_TRUE(tool->tunnels());
    ASSERT_EQ(tool->tunnels()->getNumChildren(), 1u);
    const osg::Group* tube = tool->tunnels()->getChild(0)->asGroup();
    ASSERT_EQ(tube->getNumChildren(), 1u);
    EXPECT_EQ(tool->centreLine()->front().z(), -3.5);
    osg::BoundingBox box = boundsOf(tube);
    for (auto [got, want] : {std::pair{box.xMin(), 0.f},
                             {box.xMax(), 10.f},
                             {box.yMin(), -2.f},
                             {box.yMax(), 2.f},
                             {box.zMin(), -5.f},
                             {box.zMax(), -2.f}})
        EXPECT_NEAR(got, want, 1e-5);
    // The four walls face out, as their normals say, and carry the pit-side image.
    auto* placed = dynamic_cast<const osg::MatrixTransform*>(tube->getChild(0));
    const osg::Geometry* wall = placed->getChild(0)->asGeode()->getDrawable(0)->asGeometry();
    auto* texture = dynamic_cast<const osg::Texture2D*>(
        wall->getStateSet()->getTextureAttribute(0, osg::StateAttribute::TEXTURE));
    ASSERT_TRUE(texture && texture->getImage());
    const auto& v = *static_cast<const osg::Vec3Array*>(wall->getVertexArray());
    const auto& n = *static_cast<const osg::Vec3Array*>(wall->getNormalArray());
    const osg::Matrixd& m = placed->getMatrix();
    std::set<std::tuple<int, int, int>> faces;
    const osg::PrimitiveSet* triangles = wall->getPrimitiveSet(0);
    for (unsigned i = 0; i + 2 < triangles->getNumIndices(); i += 3) {
        unsigned a = triangles->index(i), b = triangles->index(i + 1), c = triangles->index(i + 2);
        osg::Vec3d face = osg::Matrixd::transform3x3(osg::Vec3d((v[b] - v[a]) ^ (v[c] - v[a])), m);
        osg::Vec3d centre = osg::Vec3d((v[a] + v[b] + v[c]) / 3.0f) * m - osg::Vec3d(5, 0, -3.5);
        face.normalize();
        EXPECT_GT(face * osg::Matrixd::transform3x3(osg::Vec3d(n[a]), m), 0.99);
        EXPECT_GT(face * osg::Vec3d(0, centre.y(), centre.z()), 0.0);
        faces.insert({std::lround(face.x()), std::lround(face.y()), std::lround(face.z())});
    }
    EXPECT_EQ(faces.size(), 4u);

    tool->OnMessage("删除隧道");
    EXPECT_EQ(tool->tunnels()->getNumChildren(), 0u);
    EXPECT_EQ(viewer.getRoot()->getNumChildren(), children + 1);

    // A vertical segment takes the x axis as up; a segment of no length is left out.
    osg::ref_ptr<osg::Vec3dArray> shaft = new osg::Vec3dArray;
    for (double z : {0.0, 0.0, -6.0})
        shaft->push_back(osg::Vec3d(1, 1, z));
    osg::ref_ptr<osg::Group> built = TunnelBuilder::build(*shaft, 4, 3);
    ASSERT_EQ(built->getNumChildren(), 1u);
    box = boundsOf(built);
    EXPECT_NEAR(box.xMax() - box.xMin(), 3, 1e-5);
    EXPECT_NEAR(box.yMax() - box.yMin(), 4, 1e-5);
    EXPECT_NEAR(box.zMin(), -6, 1e-5);
}

using HostAnswers = Host;

TEST_F(HostAnswers, ADrawnTunnelAndTrenchAreAnsweredAndTheTunnelShowsAmongThePipes) {
    // Beside a tunnel under the middle of the network, through bare ground.
    std::string script = u8"answer-with 3 1 2.5\nmessage 地表透明度 Opacity:0\ncamera " + at(-25, -35, 14) +
                         ' ' + at(0, 0, -3) + "\nwait-paging 120\nscreenshot " + dir +
                         u8"/before.png\nactivate 创建隧道\n" + mouse("left", -20, 5) + mouse("move", 20, 5) +
                         mouse("left", 20, 5) + mouse("right", 20, 8) + "frame 2\nscreenshot " + dir +
                         u8"/tunnel.png\nactivate 沿线开挖\n" + mouse("left", 0, -10) +
                         mouse("move", 8, -10) + mouse("right", 8, -10) + "frame\nanswer-with 0 1 1\n";
    size = "320x200";
    int status = 0;
    std::string out = run(script, &status);
    EXPECT_NE(status, 0) << out; // the last line is refused
    EXPECT_NE(out.find("answer-with WIDTH DEPTH HEIGHT"), std::string::npos) << out;
    // The drawn line comes back exactly, with the top 1 m below the ground.
    ASSERT_EQ(callbacks(out, "SetUpTunnel").size(), 1u) << out;
    std::vector<double> line = numbers(callbacks(out, "SetUpTunnel")[0]);
    const std::string prefix = u8"answer\t创建隧道\tSetUpTunnel:";
    size_t at = out.find(prefix);
    ASSERT_NE(at, std::string::npos) << out;
    std::vector<double> answer =
        numbers(out.substr(at + prefix.size(), out.find('\n', at) - at - prefix.size()));
    line.insert(line.begin(), {3, 2.5, 1 - groundZ});
    EXPECT_EQ(answer, line) << out;
    EXPECT_EQ(line.size(), 9u);
    EXPECT_NE(out.find(u8"answer\t沿线开挖\tDigByLine:1,"), std::string::npos) << out;

    osg::ref_ptr<osg::Image> before = osgDB::readRefImageFile(dir + "/before.png"),
                             after = osgDB::readRefImageFile(dir + "/tunnel.png");
    ASSERT_TRUE(before && after) << out;
    unsigned changed = 0;
    for (int y = 0; y < after->t(); ++y)
        for (int x = 0; x < after->s(); ++x)
            changed += (after->getColor(x, y) - before->getColor(x, y)).length() > 0.1f;
    EXPECT_GT(changed, unsigned(after->s() * after->t() / 20)) << out;
}
