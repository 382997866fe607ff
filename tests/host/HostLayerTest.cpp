#include "Selmor/CXEarthManipulator.h"
#include "Selmor/CXViewer.h"
#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"
#include "Torvik/Torvik.h"

#include <osg/Geode>
#include <osg/ShapeDrawable>
#include <osgGA/EventQueue>

#include <gtest/gtest.h>

#include <tuple>

using Pieces = std::vector<std::string>;

TEST(SplitStr, KeepsEveryPieceBetweenSeparatorsEmptyOnesIncluded) {
    for (const auto& [text, separator, pieces] : std::vector<std::tuple<const char*, const char*, Pieces>>{
             {"a,,b,", ",", {"a", "", "b", ""}},
             {",", ",", {"", ""}},
             {"a::b", "::", {"a", "b"}},
             {"12.5 3 800 900", " ", {"12.5", "3", "800", "900"}},
             {"", ",", {}},
             {"a,b", "", {"a,b"}}})
        EXPECT_EQ(Torvik::splitStr(text, separator), pieces) << '"' << text << "\" by \"" << separator;
}

TEST(PlayerManager, TerrainHeightFollowsTheTerrainSetAndReplacedTerrainsStayAlive) {
    auto first = std::make_shared<FlatTerrain>(12.5);
    std::weak_ptr<FlatTerrain> replaced = first;
    g_playerManager->setTerrain(std::move(first));
    g_playerManager->setTerrain(std::make_shared<FlatTerrain>(-3.0));
    EXPECT_DOUBLE_EQ(g_playerManager->getHeight(1e6, 3e6), -3.0);
    // A pager thread may still be sampling the terrain it looked up before the change.
    EXPECT_FALSE(replaced.expired());
    g_playerManager->setTerrain(nullptr); // back to the plane at 0
    EXPECT_DOUBLE_EQ(g_playerManager->getHeight(5, 5), 0.0);
}

TEST(PlayerManager, CallbacksReachEverySubscriberUntilItUnsubscribes) {
    std::vector<std::string> seen;
    int first = g_playerManager->addCallbackListener([&](const std::string& name, const std::string& payload,
                                                         void*) { seen.push_back("1:" + name + payload); });
    int second = g_playerManager->addCallbackListener(
        [&](const std::string& name, const std::string&, void*) { seen.push_back("2:" + name); });
    g_playerManager->OnCallback("Transect", "1,2,", nullptr);
    g_playerManager->removeCallbackListener(first);
    g_playerManager->OnCallback("SetUpTunnel", "", nullptr);
    g_playerManager->removeCallbackListener(second);
    g_playerManager->OnCallback("ignored", "", nullptr);
    EXPECT_EQ(seen, (Pieces{"1:Transect1,2,", "2:Transect", "2:SetUpTunnel"}));
}

TEST(Viewer, IsTheGlobalOneWhileItLivesWithTerrainPipesAndModelsButNoExcavationUnderItsRoot) {
    {
        CXViewer viewer;
        EXPECT_EQ(g_pCXviewer, &viewer);
        osg::Group* root = viewer.getRoot();
        for (osg::Node* part : {viewer.getTerrain(), viewer.getPipeGroup(), viewer.GetModels()})
            EXPECT_TRUE(root->containsNode(part));
        EXPECT_FALSE(root->containsNode(viewer.getExcavate()));
        EXPECT_NE(viewer.createViceView(), nullptr);
        EXPECT_EQ(viewer.GetViceView()->getSceneData(), viewer.GetViceModels());
        // Visibility is kept per kind: hiding the lids of one leaves another's alone.
        viewer.setPipeLidVisible("JS", false);
        PIPEVISIBLETABLE sewage{false, false, false};
        viewer.getPipeVisible("WS", sewage);
        EXPECT_TRUE(sewage.pipe && sewage.lid && sewage.chamber);
    }
    EXPECT_EQ(g_pCXviewer, nullptr);
}

TEST(Pick, GivesTheNearestSurfaceUnderThePointerAndExactlyZeroOnAMiss) {
    // Looking straight down at a 10 m box on the origin from 100 m above it.
    osg::ref_ptr<osg::Geode> box = new osg::Geode;
    box->addDrawable(new osg::ShapeDrawable(new osg::Box(osg::Vec3(0, 0, 0), 10.0f)));
    osg::ref_ptr<osgViewer::View> view = new osgViewer::View;
    view->setSceneData(box.get());
    view->getCamera()->setViewport(0, 0, 200, 200);
    view->getCamera()->setProjectionMatrixAsPerspective(30.0, 1.0, 1.0, 1000.0);
    view->getCamera()->setViewMatrixAsLookAt(osg::Vec3d(0, 0, 100), osg::Vec3d(0, 0, 0), osg::Vec3d(0, 1, 0));
    osgGA::EventQueue* pointer = view->getEventQueue();
    pointer->setMouseInputRange(0, 0, 200, 200);
    EXPECT_LT((Torvik::pick(view.get(), *pointer->mouseMotion(100, 100)) - osg::Vec3d(0, 0, 5)).length(),
              1e-3);
    EXPECT_EQ(Torvik::pick(view.get(), *pointer->mouseMotion(2, 2)), osg::Vec3d(0, 0, 0));
    EXPECT_EQ(Torvik::pick(nullptr, *pointer->mouseMotion(100, 100)), osg::Vec3d(0, 0, 0));

    // A ground 20 m up, made see-through: the pick reaches the box beneath it, and the
    // ground where nothing lies beneath.
    osg::ref_ptr<osg::Group> scene = new osg::Group;
    osg::ref_ptr<osg::Geode> ground = new osg::Geode;
    ground->addDrawable(new osg::ShapeDrawable(new osg::Box(osg::Vec3(0, 0, 20), 200.0f, 200.0f, 0.1f)));
    scene->addChild(ground.get());
    scene->addChild(box.get());
    view->setSceneData(scene.get());
    EXPECT_NEAR(Torvik::pick(view.get(), *pointer->mouseMotion(100, 100)).z(), 20.05, 1e-3);
    ground->setUserValue(Torvik::SeeThrough, true);
    EXPECT_NEAR(Torvik::pick(view.get(), *pointer->mouseMotion(100, 100)).z(), 5.0, 1e-3);
    EXPECT_NEAR(Torvik::pick(view.get(), *pointer->mouseMotion(10, 10)).z(), 20.05, 1e-3);
}

TEST(EarthManipulator, AboveGroundModeLiftsTheEyeOverTheTerrainUndergroundModeDoesNot) {
    g_playerManager->setTerrain(std::make_shared<FlatTerrain>(50.0));
    osg::ref_ptr<CXEarthManipulator> manipulator = new CXEarthManipulator;
    manipulator->setTourismMode(0);
    manipulator->setTransformation(osg::Vec3d(0, -10, 40), osg::Vec3d(0, 0, 40), osg::Vec3d(0, 0, 1));
    osg::Vec3d eye, centre, up;
    manipulator->getTransformation(eye, centre, up);
    EXPECT_NEAR(eye.z(), 40.0, 1e-6);

    manipulator->setTourismMode(1);
    manipulator->getTransformation(eye, centre, up);
    EXPECT_GE(eye.z(), 50.0);
    g_playerManager->setTerrain(nullptr);
}
