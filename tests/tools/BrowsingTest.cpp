// Browsing below and above the ground, and the ground made see-through.
#include "tools/CXSetOpacityHandler.h"
#include "tools/CXUnderGroundHandler.h"
#include "tools/CXUpGroundHandler.h"

#include "Selmor/CXEarthManipulator.h"
#include "Selmor/CXViewer.h"
#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <osg/ShapeDrawable>
#include <osgDB/ReadFile>
#include <osgGA/EventQueue>
#include <osgGA/TrackballManipulator>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

const double ground = 50.0;

// A real, window-less viewer over a flat ground; its frames deliver queued events to the
// view's handlers and manipulator.
class Browsing : public ::testing::Test {
protected:
    void SetUp() override {
        g_playerManager->setTerrain(std::make_shared<FlatTerrain>(ground));
        osg::ref_ptr<osg::Geode> surface = new osg::Geode;
        surface->addDrawable(new osg::ShapeDrawable(new osg::Box(osg::Vec3(0, 0, ground), 400, 400, 0.1f)));
        viewer.getTerrain()->addChild(surface);
        view->getEventQueue()->setMouseInputRange(0, 0, 200, 200);
    }
    void TearDown() override { g_playerManager->setTerrain(nullptr); }

    CXEarthManipulator* earth() const {
        return dynamic_cast<CXEarthManipulator*>(view->getCameraManipulator());
    }

    CXViewer viewer;
    osgViewer::View* view = viewer.getViewer();
};

} // namespace

TEST_F(Browsing, ActivationInstallsTheEarthManipulatorOnceAndTheModeOutlivesTheTool) {
    osg::ref_ptr<CXCommandHandler> under = new CXUnderGroundHandler, above = new CXUpGroundHandler;
    view->setCameraManipulator(new osgGA::TrackballManipulator);
    under->InitInstance();
    under->ExitInstance();
    osg::ref_ptr<CXEarthManipulator> installed = earth();
    ASSERT_TRUE(installed.valid());
    EXPECT_EQ(installed->getTourismMode(), 0);
    above->InitInstance();
    above->ExitInstance();
    EXPECT_EQ(earth(), installed.get());
    EXPECT_EQ(installed->getTourismMode(), 1);
}

TEST_F(Browsing, AboveGroundADragOrZoomStopsJustOverTheGroundUndergroundItGoesBeneath) {
    osgGA::EventQueue* queue = view->getEventQueue();
    for (bool drag : {true, false})
        for (int mode : {0, 1}) {
            SCOPED_TRACE(std::string(drag ? "drag" : "zoom") + " in mode " + std::to_string(mode));
            view->setCameraManipulator(new CXEarthManipulator);
            earth()->setTransformation(osg::Vec3d(0, -30, ground + 30), osg::Vec3d(0, 0, ground),
                                       osg::Vec3d(0, 0, 1));
            earth()->setTourismMode(mode);
            if (drag)
                queue->mouseButtonPress(100, 100, 1);
            for (int step = 0; step < 60; ++step) {
                if (drag)
                    queue->mouseMotion(100, 100 - step * 1.5);
                else
                    queue->mouseScroll(osgGA::GUIEventAdapter::SCROLL_DOWN);
                viewer.frame();
            }
            osg::Vec3d eye, centre, up;
            earth()->getTransformation(eye, centre, up);
            if (mode == 1) {
                EXPECT_GE(eye.z(), ground + 1.5 - 1e-6);
                EXPECT_LT(eye.z(), ground + 2.0);
            } else {
                EXPECT_LT(eye.z(), ground);
                EXPECT_LE(centre.z(), ground - 2.0 + 1e-6);
            }
        }
}

TEST_F(Browsing, OpacityTurnsTheGroundAndGroundModelsSeeThroughAndOneHundredMakesItOpaque) {
    osg::ref_ptr<CXSetOpacityHandler> opacity = new CXSetOpacityHandler;
    osg::StateSet* terrain = viewer.getTerrain()->getOrCreateStateSet();
    osg::ref_ptr<osg::Node> road = new osg::Node, house = new osg::Node;
    road->setName("D:\\工程\\三维设计数据\\地面模型\\道路.ive");
    house->setName("D:\\工程\\三维设计数据\\建筑模型\\房屋.ive");
    viewer.GetModels()->addChild(road);
    viewer.GetModels()->addChild(house);
    viewer.createViceView();
    struct Step {
        const char* message;
        int bin;
        float alpha;
    };
    for (const Step& step :
         {Step{"Opacity:50", 10, 0.5f}, Step{"Opacity:100", 0, 1.0f}, Step{"HighLight:30", 0, 1.0f},
          Step{"Opacity:1e999", 0, 1.0f}, Step{"Opacity: 30.5", 10, 0.305f}, Step{"Opacity:abc", 10, 0.0f}}) {
        SCOPED_TRACE(step.message);
        opacity->OnMessage(step.message);
        const osg::Material* material = opacity->terrainMaterial();
        ASSERT_TRUE(material && terrain->getAttribute(osg::StateAttribute::MATERIAL) == material);
        EXPECT_EQ(terrain->getBinNumber(), step.bin);
        EXPECT_FLOAT_EQ(material->getDiffuse(osg::Material::BACK).a(), step.alpha);
        EXPECT_EQ(material->getEmission(osg::Material::FRONT), osg::Vec4(1, 1, 1, 1));
    }
    EXPECT_EQ(road->getStateSet()->getRenderingHint(), osg::StateSet::TRANSPARENT_BIN);
    EXPECT_EQ(house->getStateSet(), nullptr);
}

TEST(BrowsingPicture, PipesShowThroughGroundAtThirtyPercentAndOpaqueGroundHidesThem) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs a display (the suite runs under xvfb-run)";
    char pattern[] = "/tmp/browsing-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::string dir = pattern, bin = PN_BIN_DIR, xml;
    auto run = [](const std::string& command) {
        std::string output(1 << 16, '\0');
        FILE* pipe = popen(command.c_str(), "r");
        output.resize(fread(&output[0], 1, output.size(), pipe));
        return pclose(pipe) == 0 ? output : "failed: " + output;
    };
    ASSERT_EQ(run(bin + "/pn_make_sample --out " + dir + " --segments 600 >/dev/null 2>&1"), "");
    xml = run("cat " + dir + "/pipe.xml");
    auto attribute = [&](const std::string& name) {
        size_t at = xml.find(name + "=\"") + name.size() + 2;
        return xml.substr(at, xml.find('"', at) - at);
    };
    std::string script = "load " + attribute("extent") + " " + attribute("baseZ") + " " + attribute("srs") +
                         "\nwait-paging 120\n";
    for (const char* percent : {"0", "30", "100"})
        script += u8"message 地表透明度 Opacity:" + std::string(percent) + "\nscreenshot " + dir + "/" +
                  percent + ".png\n";
    std::string out =
        run("cd " + dir + " && printf '%s' '" + script + "' | " + bin + "/pipeviewer --pipe-xml " + dir +
            "/pipe.xml --offscreen --size 640x400 --ground " + attribute("ground") + " --script - 2>&1");
    osg::ref_ptr<osg::Image> bare = osgDB::readRefImageFile(dir + "/0.png"),
                             thirty = osgDB::readRefImageFile(dir + "/30.png"),
                             opaque = osgDB::readRefImageFile(dir + "/100.png");
    std::system(("rm -rf '" + dir + "'").c_str());
    ASSERT_TRUE(bare && thirty && opaque) << out;

    // A pipe's own colour has one channel well above the others, unlike the dull greens of
    // the ground and the pale sky.
    auto pipe = [](const osg::Vec4& c) {
        return std::max({c.r(), c.g(), c.b()}) > std::max(0.25f, 1.8f * std::min({c.r(), c.g(), c.b()}));
    };
    unsigned seen = 0, hidden = 0, tinted = 0;
    for (int y = 0; y < thirty->t(); ++y)
        for (int x = 0; x < thirty->s(); ++x)
            if (pipe(thirty->getColor(x, y))) {
                ++seen;
                hidden += !pipe(opaque->getColor(x, y));
                tinted += (thirty->getColor(x, y) - bare->getColor(x, y)).length() > 0.03f; // ground over it
            }
    EXPECT_GT(seen, 300u);
    EXPECT_GT(hidden, seen * 9 / 10);
    EXPECT_GT(tinted, seen * 9 / 10);
}
