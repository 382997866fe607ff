// The dig tools on a window-less viewer of their own, and their pictures through the host.
#include "Host.h"

#include "tools/CXAlongDigHandler.h"
#include "tools/CXRegionDigHandler.h"
#include "tools/CXTestDigHandler.h"

#include "Selmor/CXViewer.h"
#include "Selmor/MyNewUpdateSlaveCallback.h"

#include <osg/Geode>
#include <osg/MatrixTransform>
#include <osg/ShapeDrawable>
#include <osg/io_utils>
#include <osgDB/ReadFile>

#include <map>

namespace {

// A flat ground at z = 0 seen from 100 m above through a 200 x 200 pixel window.
class Dig : public ::testing::Test {
protected:
    void SetUp() override {
        osg::ref_ptr<osg::Geode> ground = new osg::Geode;
        ground->addDrawable(new osg::ShapeDrawable(new osg::Box(osg::Vec3(0, 0, -0.05f), 400, 400, 0.1f)));
        viewer.getTerrain()->addChild(ground);
        view->getCamera()->setProjectionMatrixAsPerspective(30.0, 1.0, 1.0, 1000.0);
        view->getCamera()->setViewMatrixAsLookAt(osg::Vec3d(0, 0, 100), osg::Vec3d(), osg::Vec3d(0, 1, 0));
        view->getEventQueue()->setMouseInputRange(0, 0, 200, 200);
    }
    // Left clicks at the pixels of a square, the pointer moving on to each next one, and a
    // right click at the last.
    void draw(CXCommandHandler& tool) {
        const float px[] = {90, 110, 110, 90}, py[] = {90, 90, 110, 110};
        osgGA::EventQueue* queue = view->getEventQueue();
        for (int i = 0; i < 4; ++i) {
            tool.handle(*queue->mouseMotion(px[i], py[i]), *view);
            tool.handle(*queue->mouseButtonRelease(px[i], py[i], i < 3 ? 1 : 3), *view);
        }
    }
    bool cut() const {
        return static_cast<MyNewUpdateSlaveCallback*>(view->getSlave(2)._updateSlaveCallback.get())
            ->excavationActive;
    }
    bool dug() const { return viewer.getRoot()->containsNode(viewer.getExcavate()); }

    CXViewer viewer;
    osgViewer::View* view = viewer.getViewer();
};

// The vertices of drawable `drawable` of child `child` (a mask, 0, or a pit, 1) of `group`,
// and where they are placed.
const osg::Vec3dArray& vertices(const osg::Group* group, unsigned child, unsigned drawable = 0) {
    const osg::Geode* geode = group->getChild(child)->asGroup()->getChild(0)->asGeode();
    return *static_cast<const osg::Vec3dArray*>(geode->getDrawable(drawable)->asGeometry()->getVertexArray());
}
osg::Vec3d origin(const osg::Group* group, unsigned child) {
    return static_cast<const osg::MatrixTransform*>(group->getChild(child))->getMatrix().getTrans();
}

} // namespace

TEST_F(Dig, TestPitIsDugUnderTheCollectedPointsTheMovingEndIncluded) {
    osg::ref_ptr<CXTestDigHandler> tool = new CXTestDigHandler;
    tool->InitInstance();
    draw(*tool);
    ASSERT_TRUE(tool->pits() && viewer.getRoot()->containsNode(tool->pits()));
    const osg::Vec3dArray& mask = vertices(tool->pits(), 0);
    ASSERT_EQ(mask.size(), 4u);
    EXPECT_LT((mask.back() + origin(tool->pits(), 0) - tool->points()->back()).length(), 1e-9);
    EXPECT_NEAR(tool->points()->back().y(), -tool->points()->front().y(), 0.1);
    EXPECT_EQ(vertices(tool->pits(), 1).back(), osg::Vec3d(0, 0, -CXTestDigHandler::Depth));
}

TEST_F(Dig, TrenchesWalkAroundTheirOutlineAndTheExcavationLeavesTheRootWithTheLastDig) {
    osg::ref_ptr<CXAlongDigHandler> trench = new CXAlongDigHandler;
    osg::ref_ptr<CXRegionDigHandler> region = new CXRegionDigHandler;
    trench->InitInstance();
    region->InitInstance();
    // Three pairs; a number that is not one; no number; an x without its y.
    for (const char* message : {"DigByLine:2,0,0,0,1,5,0", "DigByLine:2,0,0,0,1,5,0,5,1,nan,2",
                                "DigByLine:x,0,0,0,1,5,0,5,1", "DigByLine:2,0,0,0,1,5,0,5"})
        trench->OnMessage(message);
    EXPECT_FALSE(trench->trenches() || dug());
    // Left, right, left, right along a line bent at (5, 0); a closing comma is no field.
    trench->OnMessage("DigByLine:1.5,0,0.3,0,-0.3,5,0.3,5.3,-0.3,5.3,5,4.7,5,");
    ASSERT_TRUE(trench->trenches() && dug() && cut());
    const osg::Vec3d at = origin(trench->trenches(), 1);
    EXPECT_EQ(at, osg::Vec3d(0, 0.3, 0)); // the top at z = 0, the ground here
    const osg::Vec3dArray& walls = vertices(trench->trenches(), 1);
    const int order[] = {0, 2, 4, 5, 3, 1, 0}; // along one edge and back along the other
    ASSERT_EQ(walls.size(), 14u);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(walls[2 * i] + at, (*trench->trenchOutline())[order[i]]) << i;
        EXPECT_EQ(walls[2 * i + 1] - walls[2 * i], osg::Vec3d(0, 0, -1.5));
    }
    // Two region pits share one group, and one delete takes both; the excavation stays
    // while a trench is left, and leaves the root (the ground uncut) with the last.
    draw(*region);
    region->OnMessage("DigByRegion:3");
    region->OnMessage("DigByRegion:2");
    ASSERT_TRUE(region->pits());
    EXPECT_EQ(region->pits()->getNumChildren(), 4u);
    region->OnMessage("删除区域开挖");
    EXPECT_TRUE(!region->pits() && dug() && cut());
    trench->OnMessage("删除沿线开挖");
    EXPECT_FALSE(trench->trenches() || dug() || cut());
    EXPECT_EQ(viewer.getExcavate()->getNumChildren(), 0u);
}

namespace {

// The pit's soil and gravel: warm and dull, red above green above blue.
bool soil(const osg::Vec4& c) {
    return c.r() > 0.2f && c.r() > c.g() && c.g() > 1.1f * c.b() && c.r() < 1.7f * c.b() + 0.1f;
}
// A pipe: one channel well above the others, unlike the dull ground and the pale sky.
bool pipe(const osg::Vec4& c) {
    return std::max({c.r(), c.g(), c.b()}) > std::max(0.25f, 1.8f * std::min({c.r(), c.g(), c.b()}));
}
bool same(const osg::Vec4& a, const osg::Vec4& b) {
    return std::abs(a.r() - b.r()) + std::abs(a.g() - b.g()) + std::abs(a.b() - b.b()) < 0.1f;
}

} // namespace

using Pictures = Host;

TEST_F(Pictures, PitAndTrenchCutTheGroundAndShowTheirWallsAndPipesFromAboveAndWithin) {
    // An 8 m square pit, 3 m deep, across a street of the sample (its pipes run along x 40 to 48 m
    // north of the middle, 1 to 3.5 m deep), then a 0.6 m trench 2 m deep along a line bent at a
    // right angle in the block beside, each seen from the south, the pit also from within.
    const double cx = x(10), cy = y(44), z = groundZ, h = 0.3, tx = cx + 14, ty = cy - 20;
    const osg::Vec3d views[][2] = {{{cx, cy - 13, z + 12}, {cx, cy, z - 1}},
                                   {{cx + 3.5, cy + 3.5, z - 0.2}, {cx - 4, cy - 4, z - 2.5}},
                                   {{tx + 3, ty - 9, z + 8}, {tx + 3, ty + 2, z}}};
    std::ostringstream script;
    script.precision(12);
    auto shot = [&](int view, const char* name) {
        script << "camera " << views[view][0] << ' ' << views[view][1] << "\nwait-paging 60\nscreenshot "
               << dir << "/dig-" << name << ".png\n";
    };
    shot(0, "ground");
    // Drawn with the mouse and answered by the host with the depth (and width) it is given.
    script << u8"answer-with 0.6 3 2.5\nactivate 区域开挖\n";
    const int corners[][2] = {{-4, -4}, {4, -4}, {4, 4}, {-4, 4}, {-4, 4}};
    for (int i = 0; i < 5; ++i)
        script << "mouse " << (i < 4 ? "left " : "right ") << cx + corners[i][0] << ' ' << cy + corners[i][1]
               << ' ' << z << '\n';
    script << "frame\ndeactivate\n";
    shot(0, "pit");
    shot(1, "inside");
    shot(2, "trench-ground");
    script << u8"answer-with 0.6 2 2.5\nactivate 沿线开挖\n";
    const char* clicks[] = {"left", "move", "left", "move", "right"};
    const double bends[][2] = {{0, 0}, {6, 0}, {6, 0}, {6, 6}, {6, 6}};
    for (int i = 0; i < 5; ++i)
        script << "mouse " << clicks[i] << ' ' << tx + bends[i][0] << ' ' << ty + bends[i][1] << ' ' << z
               << '\n';
    script << "frame\ndeactivate\n";
    shot(2, "trench");
    run(script.str(), nullptr, "320x200");
    std::map<std::string, osg::ref_ptr<osg::Image>> shots;
    for (const char* name : {"ground", "pit", "inside", "trench-ground", "trench"})
        ASSERT_TRUE(shots[name] = osgDB::readImageFile(dir + "/dig-" + name + ".png")) << name;
    auto at = [&](const char* name, osg::Vec2i p) { return shots[name]->getColor(p.x(), p.y()); };
    // The share of the pixels in `box` (x0, y0, x1, y1 from the bottom left) that `test` holds for.
    auto share = [](const int(&box)[4], auto test) {
        int n = 0;
        for (int y = box[1]; y < box[3]; ++y)
            for (int x = box[0]; x < box[2]; ++x)
                n += test(osg::Vec2i(x, y));
        return double(n) / ((box[2] - box[0]) * (box[3] - box[1]));
    };
    // Where a world point is seen from view `view` (45 degrees, 320 x 200 pixels).
    auto seen = [&](int view, double wx, double wy, double wz) {
        osg::Vec4d clip = osg::Vec4d(wx, wy, wz, 1) *
                          osg::Matrixd::lookAt(views[view][0], views[view][1], {0, 0, 1}) *
                          osg::Matrixd::perspective(45.0, 1.6, 1.0, 1000.0);
        return osg::Vec2i(int((clip.x() / clip.w() + 1) * 160), int((clip.y() / clip.w() + 1) * 100));
    };
    // The pit: where it was dug the ground gives way to soil and the pipes in it; around it
    // the ground is as it was. From within, the walls fill the view.
    osg::Vec2i low = seen(0, cx - 4, cy - 4, z - 3), high = seen(0, cx + 4, cy + 4, z);
    const int hole[4] = {low.x() + 8, low.y() + 8, high.x() - 8, high.y() - 8},
              above[4] = {0, high.y() + 4, 320, 200}, left[4] = {0, 0, low.x() - 4, 200};
    auto kept = [&](osg::Vec2i p) { return same(at("pit", p), at("ground", p)); };
    EXPECT_LT(share(hole, kept), 0.2);
    EXPECT_GT(share(hole, [&](osg::Vec2i p) { return soil(at("pit", p)); }), 0.3);
    EXPECT_LT(share(hole, [&](osg::Vec2i p) { return soil(at("ground", p)); }), 0.05);
    EXPECT_GT(share(hole, [&](osg::Vec2i p) { return pipe(at("pit", p)); }), 0.03);
    EXPECT_GT(std::min(share(above, kept), share(left, kept)), 0.995);
    EXPECT_GT(share({0, 0, 320, 200}, [&](osg::Vec2i p) { return soil(at("inside", p)); }), 0.4);

    // The trench: soil along its line; 0.3 m past its edges on the far side from the eye, the
    // ground as it was (on the near side the walls below are seen through the ground).
    int along = 0, soiled = 0, whole = 0;
    for (double t = 0.5; t < 5; t += 0.25, along += 2)
        for (auto [wx, wy, side] : {std::tuple{tx + t, ty, 2 * h}, {tx + 6, ty + t + 0.5, 0.0}}) {
            osg::Vec2i past = seen(2, wx + 2 * h - side, wy + side, z);
            soiled += soil(at("trench", seen(2, wx, wy, z - 0.3)));
            whole += same(at("trench", past), at("trench-ground", past));
        }
    EXPECT_GT(soiled, along * 9 / 10);
    EXPECT_EQ(whole, along);
}
