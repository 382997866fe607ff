#include "WellSite.h"

#include "layers/Kinds.h"

#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <osg/Geode>
#include <osg/LOD>
#include <osg/MatrixTransform>
#include <osg/Texture2D>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr double Ground = 37.5;

class Chambers : public ::testing::Test {
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

double centreZ(const osg::BoundingBoxd& box) {
    return box.center().z();
}

const osg::Image* textureImage(osg::Node* part) {
    const osg::StateSet* state = part->getStateSet();
    auto* texture =
        state
            ? dynamic_cast<const osg::Texture2D*>(state->getTextureAttribute(0, osg::StateAttribute::TEXTURE))
            : nullptr;
    return texture ? texture->getImage() : nullptr;
}

} // namespace

TEST_F(Chambers, GratesLieFlushWithTheTerrainAndManholeAndHandHoleLidsFiveCentimetresAbove) {
    osg::ref_ptr<DBPoint> manholes = new DBPSJXJPoint, grates = new DBPSYBPoint, handHoles = new DBDXSKPoint;
    osg::ref_ptr<osg::Node> manhole = manholes->createNode(site.record(*manholes, "PSJ1"));
    osg::ref_ptr<osg::Node> grate = grates->createNode(site.record(*grates, "PSY1"));
    osg::ref_ptr<osg::Node> handHole = handHoles->createNode(site.record(*handHoles, "DXS1"));

    // Lids are slabs 0.01 thick centred at their height.
    osg::BoundingBoxd lid = wellPartBox(manhole.get(), 1);
    ASSERT_TRUE(lid.valid());
    EXPECT_NEAR(centreZ(lid), Ground + 0.05, 1e-5);
    EXPECT_NEAR(lid.zMax() - lid.zMin(), 0.01, 1e-5);
    EXPECT_NEAR(lid.xMax() - lid.xMin(), 1.0, 1e-5);
    EXPECT_NEAR(centreZ(wellPartBox(grate.get(), 1)), Ground, 1e-5);
    EXPECT_NEAR(centreZ(wellPartBox(handHole.get(), 1)), Ground + 0.05, 1e-5);

    // The shafts: round from 2.2 below the terrain (its plate reaching 0.005 lower) to the
    // lid, the grate's pit 1 deep, the hand hole 2.01.
    osg::BoundingBoxd shaft = wellPartBox(manhole.get(), 0);
    EXPECT_NEAR(shaft.zMin(), Ground - 2.205, 1e-5);
    EXPECT_NEAR(shaft.zMax(), Ground + 0.05, 1e-5);
    EXPECT_NEAR(shaft.xMax() - shaft.xMin(), 1.0, 1e-5);
    osg::BoundingBoxd pit = wellPartBox(grate.get(), 0);
    EXPECT_NEAR(pit.zMin(), Ground - 1.005, 1e-5);
    EXPECT_NEAR(pit.zMax(), Ground, 1e-5);
    EXPECT_NEAR(pit.xMax() - pit.xMin(), 0.5, 1e-5);
    EXPECT_NEAR(pit.yMax() - pit.yMin(), 1.0, 1e-5);
    osg::BoundingBoxd hole = wellPartBox(handHole.get(), 0);
    EXPECT_NEAR(hole.zMin(), Ground - 2.015, 1e-5);
    EXPECT_NEAR(hole.xMax() - hole.xMin(), 0.8, 1e-5);
    EXPECT_NEAR(hole.center().x(), 130.0, 1e-5);
    EXPECT_NEAR(hole.center().y(), 200.0, 1e-5);
}

TEST_F(Chambers, AWellIsAnLodUpTo500OverATransformNamedWithItsGidAndItsDepthDoesNotMoveIt) {
    osg::ref_ptr<DBPoint> wells = new DBPSJXJPoint;
    osg::ref_ptr<osg::Node> shallow = wells->createNode(site.record(*wells, "PSJ1")); // 1.2 deep
    osg::ref_ptr<osg::Node> deep = wells->createNode(site.record(*wells, "PSJ2"));    // 3.7 deep

    auto* lod = dynamic_cast<osg::LOD*>(deep.get());
    ASSERT_NE(lod, nullptr);
    EXPECT_EQ(lod->getMinRange(0), 0.f);
    EXPECT_EQ(lod->getMaxRange(0), 500.f);
    EXPECT_EQ(lod->getCenterMode(), osg::LOD::USER_DEFINED_CENTER);
    EXPECT_EQ(lod->getCenter(), osg::Vec3(110.f, 200.f, static_cast<float>(Ground - 2.0)));

    osg::MatrixTransform* shallowPlace = placedTransform(shallow.get());
    osg::MatrixTransform* deepPlace = placedTransform(deep.get());
    ASSERT_TRUE(shallowPlace && deepPlace);
    EXPECT_EQ(deepPlace->getName(), "PSJ2");
    EXPECT_EQ(shallowPlace->getMatrix().getTrans(), osg::Vec3d(100, 200, Ground - 2.0));
    EXPECT_EQ(deepPlace->getMatrix().getTrans(), osg::Vec3d(110, 200, Ground - 2.0));

    // Both wells are the category's one model.
    osg::Group* model = static_cast<DBPSJXJPoint*>(wells.get())->getChamberModel();
    EXPECT_EQ(shallowPlace->getChild(0), model);
    EXPECT_EQ(deepPlace->getChild(0), model);
    EXPECT_EQ(model->getNumChildren(), 2u);
}

TEST_F(Chambers, HiddenLidsAndShaftsStayHiddenInWellsBuiltLater) {
    osg::ref_ptr<DBWSPipe> layer = new DBWSPipe;
    osg::ref_ptr<DBWSJXJPoint> wells = new DBWSJXJPoint;
    layer->addPoint(wells.get());
    const CPPoint well = site.record(*wells, "WSJ1");
    osg::ref_ptr<osg::Node> before = wells->createNode(well);

    layer->setLidsVisible(false);
    osg::ref_ptr<osg::Node> after = wells->createNode(well);
    osg::Group* model = wells->getChamberModel();
    for (osg::Node* node : {before.get(), after.get()})
        EXPECT_EQ(placedTransform(node)->getChild(0), model);
    EXPECT_EQ(model->getChild(1)->getNodeMask(), 0u);
    EXPECT_NE(model->getChild(0)->getNodeMask(), 0u);

    layer->setChambersVisible(false);
    layer->setLidsVisible(true);
    EXPECT_EQ(model->getChild(0)->getNodeMask(), 0u);
    EXPECT_EQ(model->getChild(1)->getNodeMask(), ~0u);

    // Switched before the first well of a category is ever built, too.
    osg::ref_ptr<DBPSYBPoint> grates = new DBPSYBPoint;
    grates->setLidVisible(false);
    osg::ref_ptr<osg::Node> grate = grates->createNode(site.record(*grates, "PSY1"));
    EXPECT_EQ(grates->getChamberModel()->getChild(1)->getNodeMask(), 0u);
}

TEST_F(Chambers, TheGasValveWellHasAGasShaftWithTheWaterValveAndMobileHandHolesHaveTelevisionCovers) {
    osg::ref_ptr<DBTRFMJPoint> gas = new DBTRFMJPoint;
    gas->createNode(site.record(*gas, "TRF1"));
    osg::Group* valveWell = gas->getChamberModel();
    ASSERT_EQ(valveWell->getNumChildren(), 3u);
    EXPECT_EQ(textureImage(valveWell->getChild(0))->getFileName(), "../model/ranqi/jswall.jpg");
    EXPECT_EQ(textureImage(valveWell->getChild(1))->getFileName(), "../model/ranqi/rqfm.jpg");
    EXPECT_EQ(site.reads().successes("../model/gongshui/1/famen.ive"), 1);
    // The valve stands untransformed on the shaft's origin, 2 below the terrain.
    EXPECT_EQ(valveWell->getChild(2)->asTransform(), nullptr);

    osg::ref_ptr<DBYDSKPoint> mobile = new DBYDSKPoint;
    osg::ref_ptr<osg::Node> handHole = mobile->createNode(site.record(*mobile, "YDS1"));
    osg::Group* chamber = mobile->getChamberModel();
    ASSERT_EQ(chamber->getNumChildren(), 2u);
    EXPECT_EQ(textureImage(chamber->getChild(0))->getFileName(), "../model/dianshi/snqm.jpg");
    EXPECT_EQ(textureImage(chamber->getChild(1))->getFileName(), "../model/dianshi/dsfj.jpg");
    osg::BoundingBoxd cover = wellPartBox(handHole.get(), 1);
    EXPECT_NEAR(cover.xMax() - cover.xMin(), 0.8, 1e-5);
    EXPECT_NEAR(cover.yMax() - cover.yMin(), 0.8, 1e-5);
}

TEST_F(Chambers, AMissingTextureOrValveLeavesThatPartOutAndTheWellIsStillDrawn) {
    site.enterBare();
    osg::ref_ptr<DBJSFMJPoint> wells = new DBJSFMJPoint;
    const CPPoint well = site.record(*wells, "JSF1");
    osg::ref_ptr<osg::Node> first = wells->createNode(well);
    osg::ref_ptr<osg::Node> second = wells->createNode(well);

    osg::Group* model = wells->getChamberModel();
    ASSERT_EQ(model->getNumChildren(), 2u); // no valve
    osg::Geode* body = model->getChild(0)->asGeode();
    osg::Geode* lid = model->getChild(1)->asGeode();
    ASSERT_TRUE(body && lid);
    EXPECT_EQ(body->getNumDrawables(), 2u); // bottom plate and wall
    EXPECT_EQ(lid->getNumDrawables(), 1u);
    // No texture at all rather than one without an image, which some drivers draw black.
    for (osg::Geode* part : {body, lid})
        EXPECT_TRUE(!part->getStateSet() ||
                    !part->getStateSet()->getTextureAttribute(0, osg::StateAttribute::TEXTURE));
    EXPECT_NEAR(centreZ(wellPartBox(second.get(), 1)), Ground + 0.05, 1e-5);

    // The chamber is built once: its files are not asked for again at the second well.
    EXPECT_EQ(site.reads().failures().size(), 3u);
    EXPECT_EQ(site.reads().total(), 3);
}

TEST_F(Chambers, WellsBuiltOnManyThreadsAtOnceShareOneChamberBuiltOnce) {
    osg::ref_ptr<DBRSJXJPoint> wells = new DBRSJXJPoint;
    CPPoint well;
    well.gid = "R1";
    const std::vector<osg::ref_ptr<osg::Node>> built =
        buildOnThreads([&] { return wells->createNode(well); });

    osg::Group* model = wells->getChamberModel();
    EXPECT_EQ(model->getNumParents(), built.size());
    for (const auto& node : built)
        ASSERT_EQ(placedTransform(node.get())->getChild(0), model);
    EXPECT_EQ(model->getChild(0)->asGeode()->getNumDrawables(), 2u);
    EXPECT_EQ(site.reads().requests("../model/reshui/jswall.jpg"), 1);
    EXPECT_EQ(site.reads().requests("../model/reshui/jsfm.jpg"), 1);
}
