// Browsing below and above the ground, and the ground made see-through.
#include "tools/CXSetOpacityHandler.h"
#include "tools/CXUnderGroundHandler.h"
#include "tools/CXUpGroundHandler.h"

#include "Selmor/CXEarthManipulator.h"
#include "Selmor/CXViewer.h"
#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <osg/Material>
#include <osg/ShapeDrawable>
#include <osgDB/ReadFile>
#include <osgGA/EventQueue>
#include <osgGA/TrackballManipulator>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

const double groundHeight = 50.0;

// A real, window-less viewer over a flat ground at 50 m; frames deliver the view's
// queued events to its handlers and manipulator.
class Browsing : public ::testing::Test {
protected:
    void SetUp() override {
        g_playerManager->setTerrain(std::make_shared<FlatTerrain>(groundHeight));
        viewer = std::make_unique<CXViewer>();
        osg::ref_ptr<osg::Geode> ground = new osg::Geode;
        ground->addDrawable(
            new osg::ShapeDrawable(new osg::Box(osg::Vec3(0, 0, groundHeight), 400, 400, 0.1f)));
        viewer->getTerrain()->addChild(ground);
        view()->getEventQueue()->setMouseInputRange(0, 0, 200, 200);
    }
    void TearDown() override {
        viewer.reset();
        g_playerManager->setTerrain(nullptr);
    }

public:
    osgViewer::View* view() const { return viewer->getViewer(); }
    CXEarthManipulator* earth() const {
        return dynamic_cast<CXEarthManipulator*>(view()->getCameraManipulator());
    }
    osg::Vec3d eye() const {
        osg::Vec3d at, centre, up;
        earth()->getTransformation(at, centre, up);
        return at;
    }
    osg::Vec3d centre() const {
        osg::Vec3d at, centre, up;
        earth()->getTransformation(at, centre, up);
        return centre;
    }
    // A left-button drag from the middle of the view straight down, in small steps.
    void dragDown() {
        osgGA::EventQueue* queue = view()->getEventQueue();
        queue->mouseButtonPress(100, 100, 1);
        viewer->frame();
        for (int y = 100; y >= 0; y -= 5) {
            queue->mouseMotion(100, y);
            viewer->frame();
        }
        queue->mouseButtonRelease(100, 0, 1);
        viewer->frame();
    }
    void zoomIn() {
        for (int i = 0; i < 60; ++i) {
            view()->getEventQueue()->mouseScroll(osgGA::GUIEventAdapter::SCROLL_DOWN);
            viewer->frame();
        }
    }

    std::unique_ptr<CXViewer> viewer;
};

} // namespace

TEST_F(Browsing, ActivationInstallsTheEarthManipulatorOnceAndTheModeOutlivesTheTool) {
    osg::ref_ptr<CXCommandHandler> under = new CXUnderGroundHandler, above = new CXUpGroundHandler;
    view()->setCameraManipulator(new osgGA::TrackballManipulator);
    under->InitInstance();
    ASSERT_NE(earth(), nullptr);
    osg::ref_ptr<CXEarthManipulator> installed = earth();
    EXPECT_EQ(installed->getTourismMode(), 0);
    under->ExitInstance();
    EXPECT_EQ(earth()->getTourismMode(), 0);

    above->InitInstance();
    EXPECT_EQ(earth(), installed.get()); // the one already there is kept, not replaced
    EXPECT_EQ(earth()->getTourismMode(), 1);
    above->ExitInstance();
    EXPECT_EQ(earth()->getTourismMode(), 1);
}

TEST_F(Browsing, AboveGroundGesturesStopJustOverTheGroundUndergroundOnesGoBeneathIt) {
    const double clearance = 1.5, depth = 2.0;
    struct Case {
        const char* gesture;
        void (Browsing::*perform)();
    };
    for (const Case& gesture : {Case{"drag", &Browsing::dragDown}, Case{"zoom", &Browsing::zoomIn}})
        for (int mode : {0, 1}) {
            SCOPED_TRACE(std::string(gesture.gesture) + (mode == 0 ? " underground" : " above ground"));
            osg::ref_ptr<CXEarthManipulator> manipulator = new CXEarthManipulator;
            view()->setCameraManipulator(manipulator);
            // Looking down on a point of the ground from 30 m south and 30 m up.
            manipulator->setTransformation(osg::Vec3d(0, -30, groundHeight + 30),
                                           osg::Vec3d(0, 0, groundHeight), osg::Vec3d(0, 0, 1));
            manipulator->setTourismMode(mode);
            (this->*gesture.perform)();
            if (mode == 1) {
                EXPECT_GE(eye().z(), groundHeight + clearance - 1e-6);
                EXPECT_LT(eye().z(), groundHeight + clearance + 0.5);
            } else {
                EXPECT_LT(eye().z(), groundHeight);
                EXPECT_LE(centre().z(), groundHeight - depth + 1e-6);
            }
        }
}

TEST_F(Browsing, UndergroundModeMovesTheCentreDownTheLineOfSightSoTheViewDoesNotTurn) {
    osg::ref_ptr<CXEarthManipulator> manipulator = new CXEarthManipulator;
    view()->setCameraManipulator(manipulator);
    manipulator->setTransformation(osg::Vec3d(0, -30, groundHeight + 30), osg::Vec3d(0, 0, groundHeight),
                                   osg::Vec3d(0, 0, 1));
    manipulator->setTourismMode(0);
    EXPECT_LT((centre() - osg::Vec3d(0, 2, groundHeight - 2)).length(), 1e-6);
    EXPECT_LT((eye() - osg::Vec3d(0, -30, groundHeight + 30)).length(), 1e-6);
}

TEST_F(Browsing, OpacityMakesTheTerrainTranslucentAndOneHundredMakesItOpaqueAgain) {
    osg::ref_ptr<CXSetOpacityHandler> opacity = new CXSetOpacityHandler;
    osg::StateSet* terrain = viewer->getTerrain()->getOrCreateStateSet();
    struct Step {
        const char* message;
        int bin;     // the terrain's render bin afterwards
        float alpha; // its material's diffuse alpha
    };
    for (const Step& step : {
             Step{"Opacity:50", 10, 0.5f},
             Step{"Opacity:100", 0, 1.0f},      // opaque again; the colour of 50 stays
             Step{"HighLight:30", 0, 1.0f},     // a foreign verb changes nothing
             Step{"Opacity: 30.5", 10, 0.305f}, // read as atof would, in any locale
             Step{"Opacity:nan", 10, 0.305f},   // refused: not a number in range
             Step{"Opacity:1e999", 10, 0.305f}, // refused: out of range
             Step{"Opacity:abc", 10, 0.0f},     // no number reads as 0
             Step{"Opacity:250", 0, 1.0f},      // beyond opaque is opaque
         }) {
        SCOPED_TRACE(step.message);
        opacity->OnMessage(step.message);
        ASSERT_NE(opacity->terrainMaterial(), nullptr);
        EXPECT_EQ(terrain->getBinNumber(), step.bin);
        EXPECT_EQ(terrain->getRenderBinMode(), osg::StateSet::USE_RENDERBIN_DETAILS);
        const osg::Material* material = opacity->terrainMaterial();
        EXPECT_EQ(terrain->getAttribute(osg::StateAttribute::MATERIAL), material);
        EXPECT_FLOAT_EQ(material->getDiffuse(osg::Material::BACK).a(), step.alpha);
        EXPECT_EQ(material->getDiffuse(osg::Material::FRONT).r(), 1.0f);
        EXPECT_EQ(material->getEmission(osg::Material::FRONT), osg::Vec4(1, 1, 1, 1));
    }
}

TEST_F(Browsing, GroundModelsOfTheDesignDataTurnTranslucentOnlyWithASecondView) {
    osg::ref_ptr<CXSetOpacityHandler> opacity = new CXSetOpacityHandler;
    osg::ref_ptr<osg::Node> road = new osg::Node, house = new osg::Node, vice = new osg::Node;
    road->setName("D:\\工程\\三维设计数据\\地面模型\\道路.ive");
    house->setName("D:\\工程\\三维设计数据\\建筑模型\\房屋.ive");
    vice->setName("\\三维设计数据\\地面模型\\");
    viewer->GetModels()->addChild(road);
    viewer->GetModels()->addChild(house);
    viewer->GetViceModels()->addChild(vice);
    auto alphaOf = [](osg::Node* node) {
        const osg::StateSet* state = node->getStateSet();
        auto* material =
            state ? dynamic_cast<const osg::Material*>(state->getAttribute(osg::StateAttribute::MATERIAL))
                  : nullptr;
        return material ? material->getDiffuse(osg::Material::FRONT).a() : -1.0f;
    };

    opacity->OnMessage("Opacity:40");
    EXPECT_EQ(alphaOf(road), -1.0f); // no second view: left as they are

    viewer->createViceView();
    opacity->OnMessage("Opacity:40");
    EXPECT_FLOAT_EQ(alphaOf(road), 0.4f);
    EXPECT_FLOAT_EQ(alphaOf(vice), 0.4f);
    EXPECT_EQ(road->getStateSet()->getRenderingHint(), osg::StateSet::TRANSPARENT_BIN);
    EXPECT_EQ(alphaOf(house), -1.0f);
}

namespace {

std::string run(const std::string& command, int& status) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, n);
        status = pclose(pipe);
    }
    return output;
}

// A pixel of a pipe's own colour: one channel well above the others, unlike the dull
// greens of the ground and the pale sky.
bool pipeColoured(const osg::Vec4& c) {
    float high = std::max({c.r(), c.g(), c.b()}), low = std::min({c.r(), c.g(), c.b()});
    return high > 0.25f && high > 1.8f * low;
}

} // namespace

TEST(BrowsingPicture, PipesShowThroughGroundAtThirtyPercentAndAreHiddenByOpaqueGround) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs a display (the suite runs under xvfb-run)";
    char pattern[] = "/tmp/browsing-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::string dir = pattern, bin = PN_BIN_DIR;
    int status = 0;
    std::string out = run(bin + "/pn_make_sample --out " + dir + " --segments 600 2>&1", status);
    ASSERT_EQ(status, 0) << out;
    std::string xml = run("cat " + dir + "/pipe.xml", status);
    auto attribute = [&](const std::string& name) {
        size_t at = xml.find(name + "=\"") + name.size() + 2;
        return xml.substr(at, xml.find('"', at) - at);
    };
    std::string script = "load " + attribute("extent") + " " + attribute("baseZ") + " " + attribute("srs") +
                         "\nwait-paging 120\n"
                         u8"message 地表透明度 Opacity:0\nscreenshot " +
                         dir +
                         "/bare.png\n"
                         u8"message 地表透明度 Opacity:30\nscreenshot " +
                         dir +
                         "/thirty.png\n"
                         u8"message 地表透明度 Opacity:100\nscreenshot " +
                         dir + "/opaque.png\n";
    out = run("cd " + dir + " && printf '%s' '" + script + "' | " + bin + "/pipeviewer --pipe-xml " + dir +
                  "/pipe.xml --offscreen --size 640x400 --ground " + attribute("ground") + " --script - 2>&1",
              status);
    ASSERT_EQ(status, 0) << out;
    osg::ref_ptr<osg::Image> bare = osgDB::readRefImageFile(dir + "/bare.png"),
                             thirty = osgDB::readRefImageFile(dir + "/thirty.png"),
                             opaque = osgDB::readRefImageFile(dir + "/opaque.png");
    std::system(("rm -rf '" + dir + "'").c_str());
    ASSERT_TRUE(bare.valid() && thirty.valid() && opaque.valid());

    unsigned seen = 0, hidden = 0, tinted = 0;
    for (int y = 0; y < thirty->t(); ++y)
        for (int x = 0; x < thirty->s(); ++x) {
            osg::Vec4 through = thirty->getColor(x, y);
            if (!pipeColoured(through))
                continue;
            ++seen;
            hidden += !pipeColoured(opaque->getColor(x, y));
            // The ground still lies over the pipe, mixing its colour in.
            tinted += (through - bare->getColor(x, y)).length() > 0.03f;
        }
    EXPECT_GT(seen, 300u);
    EXPECT_GT(hidden, seen * 9 / 10);
    EXPECT_GT(tinted, seen * 9 / 10);
}
