#include "Selmor/CXEarthManipulator.h"
#include "Selmor/CXViewer.h"
#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"
#include "Torvik/Torvik.h"

#include <osg/Geode>
#include <osg/ShapeDrawable>
#include <osgGA/EventQueue>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using Pieces = std::vector<std::string>;

TEST(SplitStr, KeepsEmptyPiecesBetweenAndAfterSeparators) {
    EXPECT_EQ(Torvik::splitStr("a,,b,", ","), (Pieces{"a", "", "b", ""}));
    EXPECT_EQ(Torvik::splitStr(",", ","), (Pieces{"", ""}));
    EXPECT_EQ(Torvik::splitStr("12.5 3 800 900", " "), (Pieces{"12.5", "3", "800", "900"}));
    EXPECT_EQ(Torvik::splitStr("a::b", "::"), (Pieces{"a", "b"}));
}

TEST(SplitStr, GivesNoPieceForEmptyTextAndTheWholeTextForAnEmptySeparator) {
    EXPECT_TRUE(Torvik::splitStr("", ",").empty());
    EXPECT_EQ(Torvik::splitStr("a,b", ""), (Pieces{"a,b"}));
}

TEST(PlayerManager, TerrainHeightFollowsTheTerrainSetEvenWhileOtherThreadsSample) {
    g_playerManager->setTerrain(std::make_shared<FlatTerrain>(12.5));
    EXPECT_DOUBLE_EQ(g_playerManager->getHeight(1e6, 3e6), 12.5);

    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> samplers;
    for (int t = 0; t < 4; ++t)
        samplers.emplace_back([&] {
            while (!stop) {
                double h = g_playerManager->getHeight(0, 0);
                if (h != 12.5 && h != -3.0)
                    ++bad;
            }
        });
    g_playerManager->setTerrain(std::make_shared<FlatTerrain>(-3.0));
    stop = true;
    for (auto& thread : samplers)
        thread.join();
    EXPECT_EQ(bad, 0);
    EXPECT_DOUBLE_EQ(g_playerManager->getHeight(0, 0), -3.0);
    g_playerManager->setTerrain(nullptr); // back to the plane at 0
    EXPECT_DOUBLE_EQ(g_playerManager->getHeight(5, 5), 0.0);
}

TEST(PlayerManager, CallbacksReachEverySubscriberUntilItUnsubscribes) {
    std::vector<std::string> seen;
    int first = g_playerManager->addCallbackListener(
        [&](const std::string& name, const std::string& payload, void*) { seen.push_back("1:" + name + payload); });
    int second = g_playerManager->addCallbackListener(
        [&](const std::string& name, const std::string&, void*) { seen.push_back("2:" + name); });
    g_playerManager->OnCallback("Transect", "1,2,", nullptr);
    g_playerManager->removeCallbackListener(first);
    g_playerManager->OnCallback("SetUpTunnel", "", nullptr);
    g_playerManager->removeCallbackListener(second);
    g_playerManager->OnCallback("ignored", "", nullptr);
    EXPECT_EQ(seen, (Pieces{"1:Transect1,2,", "2:Transect", "2:SetUpTunnel"}));
}

TEST(Viewer, KeepsVisibilityPerKindWithEverythingVisibleByDefault) {
    CXViewer viewer;
    EXPECT_EQ(g_pCXviewer, &viewer);
    PIPEVISIBLETABLE table;
    table.pipe = table.lid = table.chamber = false;
    viewer.getPipeVisible("JS", table);
    EXPECT_TRUE(table.pipe && table.lid && table.chamber);

    viewer.setPipeLidVisible("JS", false);
    viewer.setPipeLipVisible("WS", false);
    viewer.getPipeVisible("JS", table);
    EXPECT_TRUE(table.pipe);
    EXPECT_FALSE(table.lid);
    EXPECT_TRUE(table.chamber);
    viewer.getPipeVisible("WS", table);
    EXPECT_TRUE(table.lid);
    EXPECT_FALSE(table.chamber);
}

TEST(Viewer, HangsTerrainPipesAndModelsUnderTheRootButNotTheExcavation) {
    CXViewer viewer;
    osg::Group* root = viewer.getRoot();
    EXPECT_TRUE(root->containsNode(viewer.getTerrain()));
    EXPECT_TRUE(root->containsNode(viewer.getPipeGroup()));
    EXPECT_TRUE(root->containsNode(viewer.GetModels()));
    EXPECT_FALSE(root->containsNode(viewer.getExcavate()));
    EXPECT_EQ(viewer.GetViceView(), nullptr);
    EXPECT_NE(viewer.createViceView(), nullptr);
    EXPECT_EQ(viewer.GetViceView()->getSceneData(), viewer.GetViceModels());
}

TEST(Viewer, DestroyedViewerIsNoLongerTheGlobalOne) {
    { CXViewer viewer; }
    EXPECT_EQ(g_pCXviewer, nullptr);
}

namespace {
// A view looking straight down at a 10 m box on the origin, 100 m above it.
osg::ref_ptr<osgViewer::View> topDownView(osg::Node* scene) {
    osg::ref_ptr<osgViewer::View> view = new osgViewer::View;
    view->setSceneData(scene);
    osg::Camera* camera = view->getCamera();
    camera->setViewport(0, 0, 200, 200);
    camera->setProjectionMatrixAsPerspective(30.0, 1.0, 1.0, 1000.0);
    camera->setViewMatrixAsLookAt(osg::Vec3d(0, 0, 100), osg::Vec3d(0, 0, 0), osg::Vec3d(0, 1, 0));
    return view;
}
} // namespace

TEST(Pick, GivesTheNearestSurfaceUnderThePointerAndExactlyZeroOnAMiss) {
    osg::ref_ptr<osg::Geode> box = new osg::Geode;
    box->addDrawable(new osg::ShapeDrawable(new osg::Box(osg::Vec3(0, 0, 0), 10.0f)));
    osg::ref_ptr<osgViewer::View> view = topDownView(box.get());

    osg::ref_ptr<osgGA::GUIEventAdapter> centre = view->getEventQueue()->createEvent();
    centre->setInputRange(0, 0, 200, 200);
    centre->setX(100);
    centre->setY(100);
    osg::Vec3d hit = Torvik::pick(view.get(), *centre);
    EXPECT_NEAR(hit.z(), 5.0, 1e-4);
    EXPECT_NEAR(hit.x(), 0.0, 1e-3);

    osg::ref_ptr<osgGA::GUIEventAdapter> corner = view->getEventQueue()->createEvent();
    corner->setInputRange(0, 0, 200, 200);
    corner->setX(2);
    corner->setY(2);
    EXPECT_EQ(Torvik::pick(view.get(), *corner), osg::Vec3d(0, 0, 0));
    EXPECT_EQ(Torvik::pick(nullptr, *corner), osg::Vec3d(0, 0, 0));
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
