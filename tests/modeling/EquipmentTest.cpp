#include "WellSite.h"

#include "layers/Kinds.h"

#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <osg/LOD>
#include <osg/MatrixTransform>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr double Ground = 20.0;
const std::string ValveFile = "../model/gongshui/1/famen.ive";

class Equipment : public ::testing::Test {
protected:
    void SetUp() override {
        site.enter();
        site.reads().clear();
        g_playerManager->setTerrain(std::make_shared<FlatTerrain>(Ground));
    }
    void TearDown() override {
        g_playerManager->setTerrain(nullptr);
        site.leave();
    }

    WellSite& site = WellSite::instance();
};

} // namespace

TEST_F(Equipment, StandsOnTheTerrainAtDepthZeroAndItsBurialDepthBelowOtherwise) {
    osg::ref_ptr<DBLDLDPoint> lamps = new DBLDLDPoint;
    osg::ref_ptr<osg::Node> onGround = lamps->createNode(site.record(*lamps, "LDL1"));
    osg::ref_ptr<osg::Node> sunk = lamps->createNode(site.record(*lamps, "LDL2"));

    osg::MatrixTransform* standing = placedTransform(onGround.get());
    osg::MatrixTransform* below = placedTransform(sunk.get());
    ASSERT_TRUE(standing && below);
    EXPECT_EQ(standing->getMatrix().getTrans(), osg::Vec3d(190, 200, Ground));
    EXPECT_EQ(below->getMatrix().getTrans(), osg::Vec3d(200, 200, Ground - 1.5));
    EXPECT_EQ(below->getName(), "LDL2");
    auto* lod = static_cast<osg::LOD*>(sunk.get());
    EXPECT_EQ(lod->getCenter(), osg::Vec3(200.f, 200.f, static_cast<float>(Ground - 1.5)));
    EXPECT_EQ(lod->getMaxRange(0), 500.f);

    // One lamp model for both, used as modelled: its base at the point.
    ASSERT_EQ(below->getNumChildren(), 1u);
    EXPECT_EQ(below->getChild(0), lamps->getEquipmentModel());
    EXPECT_EQ(standing->getChild(0), lamps->getEquipmentModel());
    EXPECT_EQ(site.reads().requests("../model/ludeng/ludeng.ive"), 1);
}

TEST_F(Equipment, AWrappedModelIsReadOnceAndADirectOneUntilAReadSucceeds) {
    site.enterBare();
    osg::ref_ptr<DBJSFMPoint> valves = new DBJSFMPoint;   // wrapped
    osg::ref_ptr<DBJSPWFPoint> drains = new DBJSPWFPoint; // direct
    const CPPoint valve = site.record(*valves, "JSV1"), drain = site.record(*drains, "JSP1");
    for (int i = 0; i < 3; ++i) {
        osg::ref_ptr<osg::Node> wrappedNode = valves->createNode(valve),
                                directNode = drains->createNode(drain);
        osg::MatrixTransform* wrapped = placedTransform(wrappedNode.get());
        osg::MatrixTransform* direct = placedTransform(directNode.get());
        ASSERT_TRUE(wrapped && direct);
        // Missing, the model leaves a named transform: an empty group, or nothing.
        ASSERT_EQ(wrapped->getNumChildren(), 1u);
        EXPECT_EQ(wrapped->getChild(0)->asGroup()->getNumChildren(), 0u);
        EXPECT_EQ(direct->getNumChildren(), 0u);
        EXPECT_EQ(direct->getName(), "JSP1");
    }
    EXPECT_EQ(site.reads().requests(ValveFile), 1 + 3);
    EXPECT_EQ(drains->getEquipmentModel(), nullptr);

    // The file appears: the direct form reads it at its next point and keeps it; the
    // wrapped form has given up.
    site.enter();
    site.reads().clear();
    osg::ref_ptr<osg::Node> found = drains->createNode(drain);
    osg::ref_ptr<osg::Node> again = drains->createNode(drain);
    osg::ref_ptr<osg::Node> stillEmpty = valves->createNode(valve);
    EXPECT_EQ(site.reads().requests(ValveFile), 1);
    ASSERT_NE(drains->getEquipmentModel(), nullptr);
    EXPECT_EQ(placedTransform(again.get())->getChild(0), drains->getEquipmentModel());
    EXPECT_EQ(placedTransform(stillEmpty.get())->getChild(0)->asGroup()->getNumChildren(), 0u);
}

TEST_F(Equipment, CategoriesSharingAModelFileEachReadItForThemselves) {
    osg::ref_ptr<DBSYFMPoint> oilValves = new DBSYFMPoint;
    osg::ref_ptr<DBJSFMPoint> waterValves = new DBJSFMPoint;
    osg::ref_ptr<osg::Node> oil = oilValves->createNode(site.record(*oilValves, "SYV1"));
    osg::ref_ptr<osg::Node> water = waterValves->createNode(site.record(*waterValves, "JSV1"));
    EXPECT_EQ(site.reads().successes(ValveFile), 2);
    EXPECT_NE(oilValves->getEquipmentModel(), waterValves->getEquipmentModel());
    EXPECT_EQ(oilValves->getEquipmentModel()->asGroup()->getNumChildren(), 1u);
}

TEST_F(Equipment, PointsBuiltOnManyThreadsAtOnceShareOneModelReadOnce) {
    osg::ref_ptr<DBTRTYXPoint> regulators = new DBTRTYXPoint;
    CPPoint regulator;
    regulator.gid = "T1";
    const std::vector<osg::ref_ptr<osg::Node>> built =
        buildOnThreads([&] { return regulators->createNode(regulator); });

    osg::Node* model = regulators->getEquipmentModel();
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->getNumParents(), built.size());
    EXPECT_EQ(site.reads().requests("../model/ranqi/nishuigang.ive"), 1);
}
