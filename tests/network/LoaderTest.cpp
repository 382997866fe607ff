#include "NetworkDatabase.h"

#include "layers/Kinds.h"
#include "network/RecordLoader.h"

#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

// The kinds' point caches live for the whole process, so each test below reads a kind
// of its own.

TEST(PointLoading, EveryInterpretedColumnLandsInItsMemberAndEveryColumnInTheMap) {
    NetworkDatabase db;
    db.createKindTables("GD");
    db.addPoint("GD", "G1", "GD001", 500100.25, 3100200.5, 1.25, "直线点", "检修井");
    db.exec("INSERT INTO TQMB_GDPoint VALUES ('G2', 'GD002', '未测', 7, NULL, NULL, '', '检修井', NULL)");

    osg::ref_ptr<DBPoint> wells = new DBGDJXJPoint;
    const std::list<CPPoint>& records = wells->getRecords();
    ASSERT_EQ(records.size(), 2u);
    const CPPoint& surveyed = records.front();
    EXPECT_EQ(surveyed.gid, "G1");
    EXPECT_EQ(surveyed.surveyNumber, "GD001");
    EXPECT_DOUBLE_EQ(surveyed.x, 500100.25);
    EXPECT_DOUBLE_EQ(surveyed.y, 3100200.5);
    EXPECT_DOUBLE_EQ(surveyed.groundElevation, 999.0);
    EXPECT_DOUBLE_EQ(surveyed.depth, 1.25);
    EXPECT_EQ(surveyed.nature, "直线点");
    EXPECT_EQ(surveyed.facility, "检修井");
    ASSERT_EQ(surveyed.attributes.size(), 9u);
    EXPECT_EQ(surveyed.attributes.at("权属单位").toString(), QString::fromUtf8(u8"市政"));

    // NULL and text in number columns read 0; the map keeps what the table holds.
    const CPPoint& unsurveyed = records.back();
    EXPECT_EQ(unsurveyed.x, 0.0);
    EXPECT_EQ(unsurveyed.y, 7.0);
    EXPECT_EQ(unsurveyed.groundElevation, 0.0);
    EXPECT_EQ(unsurveyed.depth, 0.0);
    EXPECT_TRUE(unsurveyed.attributes.at("深度").isNull());
    EXPECT_EQ(unsurveyed.attributes.at("X坐标").toString(), QString::fromUtf8(u8"未测"));
}

TEST(PointLoading, AColumnNamedOnlyInAnotherLetterCaseReachesOnlyTheMap) {
    NetworkDatabase db;
    db.exec("CREATE TABLE TQMB_LDPoint (GID TEXT, 物探点号 TEXT, x坐标 REAL, Y坐标 REAL, 深度 REAL, 测点性质 "
            "TEXT)");
    db.exec("INSERT INTO TQMB_LDPoint VALUES ('L1', 'LD1', 42.5, 8, 0.5, '路灯')");

    osg::ref_ptr<DBPoint> lamps = new DBLDLDPoint;
    ASSERT_EQ(lamps->getRecords().size(), 1u);
    const CPPoint& lamp = lamps->getRecords().front();
    EXPECT_EQ(lamp.x, 0.0);
    EXPECT_EQ(lamp.y, 8.0);
    EXPECT_DOUBLE_EQ(lamp.attributes.at("x坐标").toDouble(), 42.5);
    EXPECT_EQ(lamp.attributes.count("X坐标"), 0u);
}

TEST(PointCategories, APointIsInEveryCategoryItsNatureOrFacilityNamesAndKindsNeverMix) {
    NetworkDatabase db;
    db.createKindTables("RS");
    db.createKindTables("WS");
    db.addPoint("RS", "R1", "RS1", 1, 1, 1, "三通", "检修井");
    db.addPoint("RS", "R2", "RS2", 2, 2, 1, "检修井", "检修井");
    db.addPoint("RS", "R3", "RS3", 3, 3, 1, "弯头");
    db.addPoint("RS", "R4", "RS4", 4, 4, 1, "变径"); // no category draws it
    db.addPoint("WS", "W1", "WS1", 5, 5, 1, "检修井");

    osg::ref_ptr<DBPoint> wells = new DBRSJXJPoint, tees = new DBRSSTPoint, elbows = new DBRSWTPoint;
    auto gids = [](DBPoint& category) {
        std::string all;
        for (const CPPoint& point : category.getRecords())
            all += point.gid + " ";
        return all;
    };
    EXPECT_EQ(gids(*wells), "R1 R2 ");
    EXPECT_EQ(gids(*tees), "R1 ");
    EXPECT_EQ(gids(*elbows), "R3 ");
    EXPECT_EQ(RSPointVisitor::kindCache().records.size(), 4u);
}

TEST(PointCategories, AnEmptyKindOrCategoryIsLookedUpAgainOnTheNextCall) {
    NetworkDatabase db;
    db.createKindTables("DX");
    osg::ref_ptr<DBPoint> wells = new DBDXJXJPoint, manholes = new DBDXRKPoint;
    EXPECT_TRUE(wells->getRecords().empty());
    EXPECT_TRUE(DXPointVisitor::kindCache().records.empty());

    db.addPoint("DX", "D1", "DX1", 1, 1, 1, "直线点", "检修井");
    ASSERT_EQ(wells->getRecords().size(), 1u);
    EXPECT_TRUE(manholes->getRecords().empty());

    // Loaded kinds keep their points: rows added later reach no category.
    db.addPoint("DX", "D2", "DX2", 2, 2, 1, "人孔");
    EXPECT_TRUE(manholes->getRecords().empty());
    EXPECT_EQ(wells->getRecords().size(), 1u);
}

TEST(PointCategories, ADatabaseThatCannotBeReachedAtFirstIsReadOnceItCanBe) {
    NetworkDatabase db;
    db.createKindTables("DS");
    db.addPoint("DS", "S1", "DS1", 1, 1, 1, "手孔");
    osg::ref_ptr<DBPoint> handHoles = new DBDSSKPoint;

    std::remove(db.path("pipe.xml").c_str());
    EXPECT_TRUE(handHoles->getRecords().empty());
    db.writeConfig(db.path("missing.sqlite"));
    EXPECT_TRUE(handHoles->getRecords().empty());
    db.writeConfig(db.databasePath());
    EXPECT_EQ(handHoles->getRecords().size(), 1u);
}

TEST(PointCategories, APointSitsAtTheTerrainHeightMinusItsDepth) {
    g_playerManager->setTerrain(std::make_shared<FlatTerrain>(100.0));
    osg::ref_ptr<DBPoint> valves = new DBJSFMPoint;
    CPPoint point;
    point.x = 10;
    point.y = 20;
    point.depth = 1.5;
    point.groundElevation = 3.0;
    EXPECT_EQ(valves->position(point), osg::Vec3d(10, 20, 98.5));
    point.depth = 0;
    EXPECT_EQ(valves->position(point), osg::Vec3d(10, 20, 100));
}

TEST(PipeLayer, SegmentsCarryTheirJoinedEndsLayerNameAndColour) {
    NetworkDatabase db;
    db.createKindTables("JS");
    db.addPoint("JS", "P1", "A", 0, 0, 1.0, "三通");
    db.addPoint("JS", "P2", "B", 30, 40, 1.0, "弯头");
    db.addPoint("JS", "P3", "C", 30, 0, 1.0, "阀门");
    db.addLine("JS", "L1", "A", "B", 1.2, 2.0, "600X400");
    db.addLine("JS", "L2", "B", "C", 1.0, 1.0);
    db.addLine("JS", "L3", "C", "X", 1.0, 1.0); // end number misspelt: not in the layer

    osg::ref_ptr<DBPipe> water = new DBJSPipe;
    std::list<CPPipeLine>& segments = water->segments();
    ASSERT_EQ(segments.size(), 2u);
    const CPPipeLine& first = segments.front();
    EXPECT_EQ(first.gid, "L1");
    EXPECT_EQ(first.material, "PE");
    EXPECT_EQ(first.startNumber, "A");
    EXPECT_EQ(first.endNumber, "B");
    EXPECT_EQ(first.startX, 0.0);
    EXPECT_EQ(first.endX, 30.0);
    EXPECT_EQ(first.endY, 40.0);
    EXPECT_EQ(first.startElevation, 999.0);
    EXPECT_EQ(first.endElevation, 999.0);
    EXPECT_EQ(first.startDepth, 1.2);
    EXPECT_EQ(first.endDepth, 2.0);
    EXPECT_EQ(first.sectionSize, "600X400");
    EXPECT_EQ(first.attributes.count("管线长度"), 1u);
    EXPECT_EQ(first.attributes.size(), 14u);
    for (const CPPipeLine& segment : segments) {
        EXPECT_EQ(segment.layerName, "给水管线");
        EXPECT_EQ(segment.color, 0xFF0000u);
    }
    EXPECT_EQ(&water->segments(), &segments);

    // Ends follow the terrain: a 0.8 m fall from the burial depths alone.
    g_playerManager->setTerrain(std::make_shared<FlatTerrain>(50.0));
    EXPECT_DOUBLE_EQ(water->startHeight(first), 48.8);
    EXPECT_DOUBLE_EQ(water->endHeight(first), 48.0);
}

TEST(PipeLayer, ASurveyNumberPresentTwiceGivesTheSegmentOncePerMatch) {
    NetworkDatabase db;
    db.createKindTables("YG");
    db.addPoint("YG", "P1", "A", 0, 0, 1, "三通");
    db.addPoint("YG", "P2", "B", 5, 0, 1, "弯头");
    db.addPoint("YG", "P3", "B", 6, 0, 1, "弯头");
    db.addLine("YG", "L1", "A", "B", 1, 1);
    osg::ref_ptr<DBPipe> oxygen = new DBYGPipe;
    ASSERT_EQ(oxygen->segments().size(), 2u);
    EXPECT_EQ(oxygen->segments().front().gid, "L1");
    EXPECT_EQ(oxygen->segments().back().gid, "L1");
    EXPECT_NE(oxygen->segments().front().endX, oxygen->segments().back().endX);
}

TEST(PipeLayer, AnEmptyOrUnreadableKindIsQueriedAgainOnTheNextCall) {
    NetworkDatabase db;
    osg::ref_ptr<DBPipe> hydrogen = new DBQGPipe;
    EXPECT_TRUE(hydrogen->segments().empty()); // no tables at all: the query fails
    db.createKindTables("QG");
    EXPECT_TRUE(hydrogen->segments().empty()); // no rows
    db.addPoint("QG", "P1", "A", 0, 0, 1, "三通");
    db.addPoint("QG", "P2", "B", 3, 4, 1, "弯头");
    db.addLine("QG", "L1", "A", "B", 1, 1);
    ASSERT_EQ(hydrogen->segments().size(), 1u);
    EXPECT_DOUBLE_EQ(hydrogen->segments().front().length(), 5.0);
}

TEST(SegmentQuery, JoinsTheLineTableTwiceToThePointTableBySurveyNumber) {
    EXPECT_EQ(
        segmentQuery("TQMB_PSLine", "TQMB_PSPoint"),
        "SELECT TQMB_PSLine.*, 管点1.X坐标 as 起点横坐标, 管点1.Y坐标 as 起点纵坐标, 管点1.地面高程 as "
        "起点高程, 管点2.X坐标 as 终点横坐标, 管点2.Y坐标 as 终点纵坐标 ,管点2.地面高程 as 终点高程 FROM "
        "TQMB_PSLine, TQMB_PSPoint as 管点1, TQMB_PSPoint as 管点2 WHERE TQMB_PSLine.起点物探号 = "
        "管点1.物探点号 AND TQMB_PSLine.终点物探号 = 管点2.物探点号");
}
