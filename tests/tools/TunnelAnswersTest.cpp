// The host's answers to the tools (the trench outline, the texts), the tunnel tool on a
// viewer of its own, and both driven through the host as a person drives them.
#include "Host.h"

#include "answers/ToolAnswers.h"
#include "answers/TrenchOutline.h"
#include "tools/CXSetUpTunnelHandler.h"
#include "tools/TunnelBuilder.h"

#include "Selmor/CXViewer.h"

#include <osg/ComputeBoundsVisitor>
#include <osg/MatrixTransform>
#include <osg/Texture2D>
#include <osgDB/ReadFile>

#include <algorithm>
#include <cmath>

namespace {

// The distance of `p` from the segment a-b, or from the whole line through it.
double toSegment(const osg::Vec2d& p, const osg::Vec2d& a, const osg::Vec2d& b, bool whole) {
    double t = ((p - a) * (b - a)) / (b - a).length2();
    return (p - (a + (b - a) * (whole ? t : std::clamp(t, 0.0, 1.0)))).length();
}

// Whether the world bounds of `node` are `want` (to single precision).
bool boundedBy(osg::Node* node, const osg::BoundingBox& want) {
    osg::ComputeBoundsVisitor bounds;
    node->accept(bounds);
    const osg::BoundingBox& got = bounds.getBoundingBox();
    return (got._min - want._min).length() < 1e-5 && (got._max - want._max).length() < 1e-5;
}

} // namespace

TEST(TrenchOutline, EdgesLieHalfAWidthOffTheLineInStripOrderWithoutSpikes) {
    const double w = 0.6, h = w / 2;
    auto bent = [](double turn) {
        return std::vector<osg::Vec2d>{{0, 0}, {5, 0}, {5 + 5 * std::cos(turn), 5 * std::sin(turn)}};
    };
    const struct {
        std::vector<osg::Vec2d> line;
        size_t pairs;
        double area; // of the strip, in width times length: a bevel cuts a corner off
    } cases[] = {{{{0, 0}, {4, 3}}, 2, 1},
                 {bent(M_PI / 6), 3, 1},
                 {bent(-M_PI / 6), 3, 1},
                 {bent(M_PI * 5 / 6), 4, 0.9},
                 {bent(-M_PI * 5 / 6), 4, 0.9},
                 {{{0, 0}, {5, 0}, {1, 0}}, 4, 1},
                 {{{0, 0}, {0, 0}, {5, 0}, {5, 0}, {5, 5}}, 3, 1}};
    for (const auto& c : cases) {
        auto outline = TrenchOutline::compute(c.line, w), line = TrenchOutline::distinctPoints(c.line);
        ASSERT_EQ(outline.size(), 2 * c.pairs);
        // Half a width off a segment's edge, never closer to the line, a mitre within its limit.
        for (const osg::Vec2d& p : outline) {
            double nearest = HUGE_VAL, offEdge = HUGE_VAL;
            for (size_t i = 0; i + 1 < line.size(); ++i) {
                nearest = std::min(nearest, toSegment(p, line[i], line[i + 1], false));
                offEdge = std::min(offEdge, std::fabs(toSegment(p, line[i], line[i + 1], true) - h));
            }
            EXPECT_NEAR(offEdge, 0.0, 1e-9);
            EXPECT_TRUE(nearest >= h - 1e-9 && nearest <= TrenchOutline::MitreLimit * h + 1e-9) << nearest;
        }
        // The walls' walk (left edge forward, right edge back) goes clockwise round the trench's
        // area: a left and right swapped anywhere would twist it.
        double area = 0, length = 0;
        std::vector<osg::Vec2d> walk;
        for (size_t i = 0; i < outline.size(); ++i)
            walk.push_back(outline[i < c.pairs ? 2 * i : 2 * (outline.size() - i) - 1]);
        for (size_t i = 0; i < walk.size(); ++i) {
            const osg::Vec2d &a = walk[i], &b = walk[(i + 1) % walk.size()];
            area += (b.x() * a.y() - a.x() * b.y()) / 2;
            length += i + 1 < line.size() ? (line[i + 1] - line[i]).length() : 0;
        }
        EXPECT_TRUE(area <= w * length + 1e-9 && area >= w * length * c.area - 1e-9) << area;
    }
    EXPECT_TRUE(TrenchOutline::compute({{1, 1}, {1, 1}}, w).empty());
    EXPECT_TRUE(TrenchOutline::compute({{0, 0}, {NAN, 1}}, w).empty());
}

TEST(ToolAnswers, EachReportGetsItsToolsMessageAndMalformedOnesNone) {
    ToolAnswers answers;
    answers.setGround([](double, double y) { return 20.0 + y / 100; });
    ASSERT_TRUE(answers.setSettings({0.6, 1.5, 2}));
    const std::string cases[][3] = {
        {"沿线开挖", "0,0,10,0,", "沿线开挖\tDigByLine:1.5,0,0.3,0,-0.3,10,0.3,10,-0.3"},
        // Every digit of the drawn line survives.
        {"沿线开挖", "529948.1234567,3383965.7654321,529958.1234567,3383965.7654321,",
         "沿线开挖\tDigByLine:1.5,529948.1234567,3383966.0654320996,529948.1234567,3383965.4654321,"
         "529958.1234567,3383966.0654320996,529958.1234567,3383965.4654321"},
        {"区域开挖", "1,2,3,4,5,6,", "区域开挖\tDigByRegion:1.5"},
        // The top 1.5 m below the lowest ground along the line.
        {"SetUpTunnel", "0.5,100,10,-200,", "创建隧道\tSetUpTunnel:0.6,2,-16.5,0.5,100,10,-200"},
        {"沿线开挖", "5,5,5,5,", ""},
        {"沿线开挖", "1,2,3,", ""},
        {"SetUpTunnel", "1,x,", ""},
        {"SetUpTunnel", "nan,0,1,1,", ""},
        {"Transect", "0,0,1,1,", ""}};
    for (const auto& c : cases) {
        std::string problem;
        auto answer = answers.answer(c[0], c[1], problem);
        EXPECT_EQ(answer ? answer->tool + "\t" + answer->text : "", c[2]) << c[1];
        EXPECT_EQ(problem.empty(), answer || c[0] == "Transect") << c[1];
    }
}

TEST(Tunnel, AnOutwardFacingTexturedBoxOfTheSectionAlongEachSegmentRemovedOnRequest) {
    CXViewer viewer;
    osg::ref_ptr<CXSetUpTunnelHandler> tool = new CXSetUpTunnelHandler;
    const unsigned children = viewer.getRoot()->getNumChildren();
    for (const char* nothing : {"删除隧道", "SetUpTunnel:4,3,2,0,0", "SetUpTunnel:4,3,1e999,0,0,10,0",
                                "SetUpTunnel:1e39,3,2,0,0,10,0", "SetUpTunnel:0,3,2,0,0,10,0"})
        tool->OnMessage(nothing);
    EXPECT_EQ(viewer.getRoot()->getNumChildren(), children);

    tool->OnMessage("SetUpTunnel:4,3,2,0,0,10,0,7"); // a lone x is not read
    ASSERT_TRUE(tool->tunnels() && tool->tunnels()->getNumChildren() == 1);
    auto* tube = const_cast<osg::Group*>(tool->tunnels()->getChild(0)->asGroup());
    ASSERT_EQ(tube->getNumChildren(), 1u);
    EXPECT_TRUE(boundedBy(tube, osg::BoundingBox(0, -2, -5, 10, 2, -2)));
    // Each wall's triangles face away from the centre line at z = -3.5, and are textured.
    auto* placed = tube->getChild(0)->asTransform()->asMatrixTransform();
    osg::Geometry* wall = placed->getChild(0)->asGeode()->getDrawable(0)->asGeometry();
    EXPECT_TRUE(wall->getStateSet()->getTextureAttribute(0, osg::StateAttribute::TEXTURE));
    const auto& v = *static_cast<const osg::Vec3Array*>(wall->getVertexArray());
    const osg::PrimitiveSet* triangles = wall->getPrimitiveSet(0);
    for (unsigned i = 0; i + 2 < triangles->getNumIndices(); i += 3) {
        osg::Vec3d a = v[triangles->index(i)] * placed->getMatrix(),
                   b = v[triangles->index(i + 1)] * placed->getMatrix(),
                   c = v[triangles->index(i + 2)] * placed->getMatrix();
        EXPECT_GT(((b - a) ^ (c - a)) * osg::Vec3d(0, a.y() + b.y() + c.y(), a.z() + b.z() + c.z() + 10.5),
                  0);
    }
    tool->OnMessage("删除隧道");
    EXPECT_EQ(tool->tunnels()->getNumChildren(), 0u);

    // A vertical segment takes the x axis as up; one of no length is left out.
    osg::ref_ptr<osg::Vec3dArray> shaft = new osg::Vec3dArray;
    for (double z : {0.0, 0.0, -6.0})
        shaft->push_back(osg::Vec3d(1, 1, z));
    osg::ref_ptr<osg::Group> built = TunnelBuilder::build(*shaft, 4, 3);
    ASSERT_EQ(built->getNumChildren(), 1u);
    EXPECT_TRUE(boundedBy(built, osg::BoundingBox(-0.5, -1, -6, 2.5, 3, 0)));
}

using HostAnswers = Host;

TEST_F(HostAnswers, ADrawnTunnelAndTrenchAreAnsweredAndTheTunnelShowsAmongThePipes) {
    // Beside a tunnel under the middle of the network, through bare ground.
    int status = 0;
    std::string out =
        run(u8"answer-with 3 1 2.5\nmessage 地表透明度 Opacity:0\ncamera " + at(-25, -35, 14) + ' ' +
                at(0, 0, -3) + "\nwait-paging 120\nscreenshot " + dir + u8"/before.png\nactivate 创建隧道\n" +
                mouse("left", -20, 5) + mouse("move", 20, 5) + mouse("left", 20, 5) + mouse("right", 20, 8) +
                "frame 2\nscreenshot " + dir + u8"/tunnel.png\nactivate 沿线开挖\n" + mouse("left", 0, -10) +
                mouse("right", 8, -10) + "frame\nanswer-with 0 1 1\n",
            &status, "320x200");
    EXPECT_TRUE(status && out.find("three positive numbers") != std::string::npos) << out;
    // The drawn line comes back exactly, the top 1 m below the ground.
    ASSERT_EQ(callbacks(out, "SetUpTunnel").size(), 1u) << out;
    std::vector<double> line = numbers(callbacks(out, "SetUpTunnel")[0]);
    const std::string prefix = u8"answer\t创建隧道\tSetUpTunnel:";
    size_t at = out.find(prefix) + prefix.size();
    line.insert(line.begin(), {3, 2.5, 1 - groundZ});
    EXPECT_EQ(numbers(out.substr(at, out.find('\n', at) - at)), line) << out;
    EXPECT_NE(out.find(u8"answer\t沿线开挖\tDigByLine:1,"), std::string::npos) << out;

    osg::ref_ptr<osg::Image> before = osgDB::readRefImageFile(dir + "/before.png"),
                             after = osgDB::readRefImageFile(dir + "/tunnel.png");
    ASSERT_TRUE(before && after) << out;
    int changed = 0;
    for (int y = 0; y < after->t(); ++y)
        for (int x = 0; x < after->s(); ++x)
            changed += (after->getColor(x, y) - before->getColor(x, y)).length() > 0.1f;
    EXPECT_GT(changed, after->s() * after->t() / 20) << out;
}
