// The tools on a window-less viewer of their own: browsing over a flat ground, the
// ground's opacity, and the highlight, flow-direction and layer tools on the tiles of a
// small network.
#include "tests/network/NetworkDatabase.h"

#include "geo/GeoExtent.h"
#include "layers/DBPipe.h"
#include "plugin/CXPipeLineCtrl.h"
#include "tools/CXHighLightHandler.h"
#include "tools/CXPipeLayerHandler.h"
#include "tools/CXPipeLineCancelDirHandler.h"
#include "tools/CXPipeLineShowDirHandler.h"
#include "tools/CXSetOpacityHandler.h"
#include "tools/CXUnderGroundHandler.h"
#include "tools/CXUpGroundHandler.h"

#include "Selmor/CXEarthManipulator.h"
#include "Selmor/CXViewer.h"
#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <osg/Geometry>
#include <osg/ShapeDrawable>
#include <osgGA/TrackballManipulator>

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace {

class Tools : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* code : {"WS", "JS", "YG", "QG"})
            db.createKindTables(code);
        control->initialize();
    }
    // A tile of the layer `name`, in the viewer's scene.
    osg::Group* tile(const std::string& name) {
        osg::ref_ptr<osg::Group> built =
            control->findPipeLayer(name)->buildExtent(osgEarth::GeoExtent(nullptr, 0, 0, 100, 100));
        viewer.getPipeGroup()->addChild(built);
        return built.get();
    }

    NetworkDatabase db;
    CXViewer viewer;
    CXPipeLineCtrl* control = CXPipeLineCtrl::getInstance();
};

} // namespace

TEST_F(Tools, AfterAboveGroundADragStopsOverTheGroundAfterUndergroundItGoesBeneath) {
    const double ground = 50.0;
    g_playerManager->setTerrain(std::make_shared<FlatTerrain>(ground));
    osg::ref_ptr<osg::Geode> surface = new osg::Geode;
    surface->addDrawable(new osg::ShapeDrawable(new osg::Box(osg::Vec3(0, 0, ground), 400, 400, 0.1f)));
    viewer.getTerrain()->addChild(surface);
    osgViewer::View* view = viewer.getViewer();
    view->getEventQueue()->setMouseInputRange(0, 0, 200, 200);
    for (bool above : {true, false}) {
        SCOPED_TRACE(above ? "above ground" : "underground");
        osg::ref_ptr<CXCommandHandler> tool =
            above ? static_cast<CXCommandHandler*>(new CXUpGroundHandler) : new CXUnderGroundHandler;
        view->setCameraManipulator(new osgGA::TrackballManipulator);
        tool->InitInstance();
        tool->ExitInstance(); // the mode outlives the tool
        auto* earth = dynamic_cast<CXEarthManipulator*>(view->getCameraManipulator());
        ASSERT_NE(earth, nullptr);
        earth->setTransformation(osg::Vec3d(0, -30, ground + 30), osg::Vec3d(0, 0, ground),
                                 osg::Vec3d(0, 0, 1));
        view->getEventQueue()->mouseButtonPress(100, 100, 1);
        for (int step = 0; step < 60; ++step) {
            view->getEventQueue()->mouseMotion(100, 100 - step * 1.5);
            viewer.frame();
        }
        osg::Vec3d eye, centre, up;
        earth->getTransformation(eye, centre, up);
        EXPECT_TRUE(above ? eye.z() > ground + 1.5 - 1e-6 && eye.z() < ground + 2.0 : eye.z() < ground)
            << eye.z();
    }
    g_playerManager->setTerrain(nullptr);
}

TEST_F(Tools, OpacityTurnsTheGroundSeeThroughAndOneHundredMakesItOpaque) {
    osg::ref_ptr<CXSetOpacityHandler> opacity = new CXSetOpacityHandler;
    osg::StateSet* terrain = viewer.getTerrain()->getOrCreateStateSet();
    for (auto [message, bin, alpha] :
         {std::tuple{"Opacity:50", 10, 0.5f}, {"Opacity:100", 0, 1.0f}, {"Opacity:abc", 10, 0.0f}}) {
        SCOPED_TRACE(message);
        opacity->OnMessage(message);
        const osg::Material* material = opacity->terrainMaterial();
        ASSERT_TRUE(material && terrain->getAttribute(osg::StateAttribute::MATERIAL) == material);
        EXPECT_EQ(terrain->getBinNumber(), bin);
        EXPECT_FLOAT_EQ(material->getDiffuse(osg::Material::BACK).a(), alpha);
    }
}

TEST_F(Tools, EveryNodeOfAHighlightedNameTurnsOneCyanNestedOnesIncluded) {
    // P7 over a geode also named P7 and an unnamed one, and an unnamed geode beside it.
    osg::ref_ptr<osg::Geometry> shapes[3];
    osg::ref_ptr<osg::Geode> geodes[3];
    for (int i = 0; i < 3; ++i) {
        shapes[i] = new osg::Geometry;
        shapes[i]->setColorArray(new osg::Vec4Array(3), osg::Array::BIND_PER_VERTEX);
        geodes[i] = new osg::Geode;
        geodes[i]->addDrawable(shapes[i]);
    }
    osg::ref_ptr<osg::Group> group = new osg::Group, root = control->getNetworkRoot()->asGroup();
    group->setName("P7");
    geodes[0]->setName("P7");
    group->addChild(geodes[0]);
    group->addChild(geodes[1]);
    root->addChild(group);
    root->addChild(geodes[2]);
    // A part shared with another fitting (Q8): P7 is painted on a copy, Q8 keeps its colours.
    osg::ref_ptr<osg::Group> other = new osg::Group;
    other->setName("Q8");
    other->addChild(geodes[2]);
    group->addChild(geodes[2]);
    root->addChild(other);
    auto cyan = [](const osg::Drawable* shape) {
        auto* colours = dynamic_cast<const osg::Vec4dArray*>(shape->asGeometry()->getColorArray());
        return colours && colours->size() == 1 && (*colours)[0] == osg::Vec4d(0, 1, 1, 1) &&
               colours->getBinding() == osg::Array::BIND_OVERALL;
    };
    // An empty name matches nothing.
    osg::ref_ptr<CXCommandHandler>(new CXHighLightHandler)->OnMessage("HighLight:P7,");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(i < 2, cyan(shapes[i])) << "geometry " << i;
    osg::Geode* painted = group->getChild(2)->asGeode();
    ASSERT_TRUE(painted && painted != geodes[2] && other->getChild(0) == geodes[2]);
    EXPECT_TRUE(cyan(painted->getDrawable(0)) && painted->getDrawable(0) != shapes[2]);
}

TEST_F(Tools, OnlyDrainagePipesGetTheFlowBandsWhoseOffsetCreepsEachUpdate) {
    osg::Node *bands = tile("排水管线")->getChild(1), *plain = tile("给水管线")->getChild(1);
    osg::ref_ptr<CXCommandHandler>(new CXPipeLineShowDirHandler)->InitInstance();
    ASSERT_TRUE(bands->getStateSet() && bands->getStateSet()->getAttribute(osg::StateAttribute::PROGRAM));
    EXPECT_TRUE(!plain->getStateSet() || !plain->getStateSet()->getAttribute(osg::StateAttribute::PROGRAM));
    osg::Uniform* offset = bands->getStateSet()->getUniform("offset");
    ASSERT_NE(offset, nullptr);
    // Out of [-1, 1], the offset starts again from 0.
    for (auto [from, updates, reads] : {std::tuple{0.0f, 1, -0.01f}, {0.0f, 50, -0.5f}, {2.0f, 1, -0.01f}}) {
        offset->set(from);
        for (int i = 0; i < updates; ++i)
            viewer.frame();
        float value = 99.0f;
        offset->get(value);
        EXPECT_NEAR(value, reads, 1e-4f) << from << " after " << updates;
    }
    // Cancelling takes the bands off the drainage pipes, and only them.
    osg::ref_ptr<CXCommandHandler>(new CXPipeLineCancelDirHandler)->InitInstance();
    EXPECT_EQ(bands->getStateSet()->getAttribute(osg::StateAttribute::PROGRAM), nullptr);
}

// One message after the other, each checked against the tiles and the host's table.
TEST_F(Tools, PanelMessagesSwitchTheRightLayerPartAndTellTheHost) {
    const char* const codes[] = {"JS", "YG", "QG"}; // water supply, industrial oxygen and hydrogen
    osg::Group* tiles[] = {tile("给水管线"), tile("工业氧气管线"), tile("工业氢气管线")};
    osg::ref_ptr<CXPipeLayerHandler> tool = new CXPipeLayerHandler;
    const struct {
        const char* message;
        const char* pipes; // shown, in the order of `codes`
        bool waterLids;    // the other layers' lids stay shown
    } steps[] = {
        // The panel's names for the industrial gases are not the layers' names.
        {"LayerVisible:氧气管线,氧气管线,0", "101", true},
        {"LayerVisible:负压管线,负压管线,0", "100", true},
        {"LayerVisible:给水管线,给水管线,0", "000", true},
        {"LayerVisible:给水管线,井盖,0", "000", true}, // a line name with a part name: nothing
        {"LayerVisible:给水管线,给水管线,2", "100", true},
        {"LayerVisible:给水管点,井盖,yes", "100", false},
        {"LayerVisible:给水管点,井室,0", "100", false}, // chambers: the pipes and lids stay
    };
    for (const auto& step : steps) {
        tool->OnMessage(step.message);
        for (int i = 0; i < 3; ++i) {
            PIPEVISIBLETABLE host;
            viewer.getPipeVisible(codes[i], host);
            const bool pipe = step.pipes[i] == '1';
            EXPECT_EQ(host.pipe, pipe) << step.message << " " << codes[i];
            EXPECT_EQ(host.lid, i > 0 || step.waterLids) << step.message << " " << codes[i];
            EXPECT_EQ(tiles[i]->getNodeMask(), pipe ? ~0u : 0u) << step.message << " " << codes[i];
        }
    }
}
