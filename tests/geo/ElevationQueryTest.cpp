#include "geo/ElevationQuery.h"
#include "geo/MapNode.h"

#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <gtest/gtest.h>

using namespace osgEarth;

namespace {

// A hillside rising one metre per hundred metres east.
class Slope : public TerrainHeight {
public:
    double heightAt(double x, double) const override { return x / 100.0; }
};

class ElevationQueryTest : public testing::Test {
protected:
    void SetUp() override { g_playerManager->setTerrain(std::make_shared<Slope>()); }
    void TearDown() override { g_playerManager->setTerrain(nullptr); }
};

} // namespace

TEST_F(ElevationQueryTest, HeightsAreTakenWhereThePointsLieOnTheMapOrNotAtAll) {
    osg::ref_ptr<MapNode> mapNode = new MapNode(new Map(SpatialReference::create("EPSG:3857")));
    ElevationQuery query(mapNode->getMap());
    const SpatialReference* lonLat = SpatialReference::create("EPSG:4326");
    // 0.01 degrees east of the meridian lies 1113.19 m east on the map.
    std::vector<osg::Vec3d> points{{0.01, 0.0, 99.0}, {0.0, 0.0, 99.0}};
    ASSERT_TRUE(query.getElevations(points, lonLat, true, 0.0));
    EXPECT_NEAR(points[0].z(), 11.1319, 1e-3);
    EXPECT_EQ(points[1].z(), 0.0);
    EXPECT_EQ(points[0].x(), 0.01) << "the points stay in their own system";

    // Latitude 95 cannot reach the map: no point changes, not even the first.
    points = {{10.0, 10.0, 1.0}, {10.0, 95.0, 1.0}};
    const auto before = points;
    EXPECT_FALSE(query.getElevations(points, lonLat));
    EXPECT_EQ(points, before);
}

TEST_F(ElevationQueryTest, MapWithoutSystemTakesCoordinatesAsTheyAreAndZCanBeKept) {
    osg::ref_ptr<MapNode> mapNode = new MapNode;
    EXPECT_FALSE(mapNode->getMap()->getWorldSRS());
    ElevationQuery query(mapNode->getMap());
    std::vector<osg::Vec3d> points{{500.0, 3.0, 2.0}};
    ASSERT_TRUE(query.getElevations(points, SpatialReference::create("EPSG:4547"), false));
    EXPECT_DOUBLE_EQ(points[0].z(), 7.0);
    double height = 0.0;
    EXPECT_TRUE(query.getElevation(osg::Vec3d(200.0, 0.0, 0.0), nullptr, height) && height == 2.0) << height;
}
