#include "network/CPPipeLine.h"
#include "network/CPPoint.h"

#include <osg/Group>

#include <gtest/gtest.h>

TEST(CPPoint, UnsetAndUnreadableNumbersAreZeroAndCopiesAreIndependent) {
    CPPoint empty;
    EXPECT_EQ(empty.x, 0.0);
    EXPECT_EQ(empty.y, 0.0);
    EXPECT_EQ(empty.groundElevation, 0.0);
    EXPECT_EQ(empty.depth, 0.0);
    // Out of range is no depth either: an infinite value would poison the geometry.
    empty.setField("深度", QVariant(QString("1e999")));
    EXPECT_EQ(empty.depth, 0.0);

    CPPoint point;
    point.setField("GID", QVariant(QString("P1")));
    point.setField("X坐标", QVariant(3.0));
    CPPoint copy(point);
    point.setField("备注", QVariant(QString("later")));
    EXPECT_EQ(copy.gid, "P1");
    EXPECT_EQ(copy.x, 3.0);
    EXPECT_EQ(copy.attributes.size(), 2u);
    EXPECT_EQ(copy.referenceCount(), 0);
}

TEST(CPPipeLine, ARepeatedColumnSetsTheMemberFromTheLastAndTheMapFromTheFirst) {
    // A line table with its own start x column besides the one joined from the point table.
    CPPipeLine line;
    line.setField("起点横坐标", QVariant(1.0));
    line.setField("起点横坐标", QVariant(2.0));
    EXPECT_EQ(line.startX, 2.0);
    EXPECT_EQ(line.attributes.at("起点横坐标").toDouble(), 1.0);
    EXPECT_EQ(line.attributes.size(), 1u);
}

TEST(CPPipeLine, InterpretedColumnsLandInTheirMembers) {
    CPPipeLine line;
    const char* texts[][2] = {
        {"GID", "L7"}, {"材质", "PE"}, {"起点物探号", "A1"}, {"终点物探号", "A2"}, {"断面尺寸", "600X400"}};
    for (auto& t : texts)
        line.setField(t[0], QVariant(QString(t[1])));
    const char* numbers[] = {"起点横坐标", "起点纵坐标", "起点高程", "起点埋深",
                             "终点横坐标", "终点纵坐标", "终点高程", "终点埋深"};
    double value = 1.0;
    for (const char* column : numbers)
        line.setField(column, QVariant(value++));
    line.setField("管径", QVariant(300));

    EXPECT_EQ(line.gid, "L7");
    EXPECT_EQ(line.material, "PE");
    EXPECT_EQ(line.startNumber, "A1");
    EXPECT_EQ(line.endNumber, "A2");
    EXPECT_EQ(line.sectionSize, "600X400");
    EXPECT_EQ(line.startX, 1.0);
    EXPECT_EQ(line.startY, 2.0);
    EXPECT_EQ(line.startElevation, 3.0);
    EXPECT_EQ(line.startDepth, 4.0);
    EXPECT_EQ(line.endX, 5.0);
    EXPECT_EQ(line.endY, 6.0);
    EXPECT_EQ(line.endElevation, 7.0);
    EXPECT_EQ(line.endDepth, 8.0);
    EXPECT_TRUE(line.layerName.empty());
    EXPECT_EQ(line.color, 0u);
    EXPECT_EQ(line.attributes.size(), 14u);
}

TEST(CPPipeLine, LengthTakesTheVerticalRunFromTheBurialDepths) {
    CPPipeLine line;
    line.endX = 3.0;
    line.endY = 4.0;
    line.startDepth = 1.0;
    line.endDepth = 1.0;
    line.startElevation = 50.0; // elevations play no part
    EXPECT_DOUBLE_EQ(line.length(), 5.0);
    line.endX = 0.0;
    line.endY = 0.0;
    line.endDepth = 3.0;
    EXPECT_DOUBLE_EQ(line.length(), 2.0);
}

TEST(CPPipeLine, TheSceneNodeCopyCarriesEverythingAndPointsAtItsNode) {
    CPPipeLine line;
    line.setField("GID", QVariant(QString("L1")));
    line.layerName = "给水管线";
    line.color = 0xFF0000;
    osg::ref_ptr<osg::Group> node = new osg::Group;
    osg::ref_ptr<CPPipeLine> copy = new CPPipeLine(line, node.get());
    EXPECT_EQ(copy->gid, "L1");
    EXPECT_EQ(copy->layerName, "给水管线");
    EXPECT_EQ(copy->color, 0xFF0000u);
    EXPECT_EQ(copy->sceneNode, node.get());
    EXPECT_EQ(copy->attributes.size(), 1u);
    EXPECT_EQ(line.sceneNode, nullptr);
}
