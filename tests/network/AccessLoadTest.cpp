#include "NetworkDatabase.h"

#include "layers/Kinds.h"
#include "text/GbkText.h"
#include "sample/MdbWriter.h"

#include <gtest/gtest.h>

namespace {

using Text = std::string;
using Col = MdbWriter::Column;
constexpr MdbWriter::Type T = MdbWriter::Type::Text;
constexpr MdbWriter::Type D = MdbWriter::Type::Double;

// The mobile telecom kind as a survey team delivers it: an Access file.
void writeMobileNetwork(const std::string& path) {
    MdbWriter mdb;
    int points = mdb.addTable("TQMB_YDPoint", {Col{"GID", T}, Col{"物探点号", T}, Col{"X坐标", D},
                                               Col{"Y坐标", D}, Col{"地面高程", D}, Col{"深度", D},
                                               Col{"测点性质", T}, Col{"附属设施", T}, Col{"权属单位", T}});
    ASSERT_GE(points, 0) << mdb.error();
    std::vector<std::vector<MdbWriter::Value>> pointRows = {
        {Text("Y1"), Text("YD1"), 500010.5, 3100020.25, 12.5, 1.1, Text("人孔"), Text("检修井"),
         Text("移动公司")},
        {Text("Y2"), Text("YD2"), 500040.5, 3100020.25, 12.0, {}, Text("手孔"), {}, {}},
        // Two rows under one survey number: the segments ending there come twice.
        {Text("Y3"), Text("YD3"), 500070.5, 3100020.25, 11.5, 0.9, Text("直线点"), Text("人孔"), {}},
        {Text("Y4"), Text("YD3"), 500071.5, 3100020.25, 11.5, 0.9, Text("直线点"), {}, {}},
    };
    for (auto& row : pointRows)
        ASSERT_TRUE(mdb.addRow(points, row)) << mdb.error();

    int lines = mdb.addTable("TQMB_YDLine",
                             {Col{"GID", T}, Col{"起点物探号", T}, Col{"终点物探号", T}, Col{"起点埋深", D},
                              Col{"终点埋深", D}, Col{"材质", T}, Col{"断面尺寸", T}, Col{"孔数", D}});
    ASSERT_GE(lines, 0) << mdb.error();
    std::vector<std::vector<MdbWriter::Value>> lineRows = {
        {Text("L1"), Text("YD1"), Text("YD2"), 1.1, 1.3, Text("PVC"), Text("400X300"), 6.0},
        {Text("L2"), Text("YD2"), Text("YD3"), 1.3, 0.9, Text("PVC"), Text("110"), 2.0},
        {Text("L3"), Text("YD2"), Text("YD9"), 1.3, 0.9, Text("PVC"), Text("110"), 2.0},
    };
    for (auto& row : lineRows)
        ASSERT_TRUE(mdb.addRow(lines, row)) << mdb.error();
    ASSERT_TRUE(mdb.save(gbkToUtf8(path))) << mdb.error();
}

} // namespace

TEST(AccessFiles, AKindReadFromAnAccessFileHasItsPointsSegmentsAndEveryColumn) {
    NetworkDatabase db;
    std::string path = db.path("移动管网.mdb");
    writeMobileNetwork(path);
    db.writeConfig(path);

    osg::ref_ptr<DBPipe> mobile = new DBYDPipe;
    osg::ref_ptr<DBPoint> wells = new DBYDJXJPoint, manholes = new DBYDRKPoint, handHoles = new DBYDSKPoint;
    for (DBPoint* category : {wells.get(), manholes.get(), handHoles.get()})
        mobile->addPoint(category);

    ASSERT_EQ(wells->getRecords().size(), 1u);
    const CPPoint& well = wells->getRecords().front();
    EXPECT_EQ(well.gid, "Y1");
    EXPECT_EQ(well.surveyNumber, "YD1");
    EXPECT_DOUBLE_EQ(well.x, 500010.5);
    EXPECT_DOUBLE_EQ(well.y, 3100020.25);
    EXPECT_DOUBLE_EQ(well.groundElevation, 12.5);
    EXPECT_DOUBLE_EQ(well.depth, 1.1);
    EXPECT_EQ(well.nature, "人孔");
    EXPECT_EQ(well.facility, "检修井");
    EXPECT_EQ(well.attributes.size(), 9u);
    EXPECT_EQ(qstringToGbk(well.attributes.at("权属单位").toString()), "移动公司");

    // The manhole by nature and the one by facility; the hand hole with no depth.
    ASSERT_EQ(manholes->getRecords().size(), 2u);
    EXPECT_EQ(manholes->getRecords().back().gid, "Y3");
    ASSERT_EQ(handHoles->getRecords().size(), 1u);
    EXPECT_EQ(handHoles->getRecords().front().depth, 0.0);

    std::list<CPPipeLine>& segments = mobile->segments();
    ASSERT_EQ(segments.size(), 3u); // L1, then L2 once per row of YD3; L3 ends nowhere
    const CPPipeLine& first = segments.front();
    EXPECT_EQ(first.gid, "L1");
    EXPECT_DOUBLE_EQ(first.startX, 500010.5);
    EXPECT_DOUBLE_EQ(first.endX, 500040.5);
    EXPECT_DOUBLE_EQ(first.startElevation, 12.5);
    EXPECT_DOUBLE_EQ(first.endDepth, 1.3);
    EXPECT_EQ(first.sectionSize, "400X300");
    EXPECT_DOUBLE_EQ(first.attributes.at("孔数").toDouble(), 6.0);
    for (const CPPipeLine& segment : segments) {
        EXPECT_EQ(segment.layerName, "移动管线");
        EXPECT_EQ(segment.color, 0x00FF00u);
    }
    EXPECT_EQ(std::next(segments.begin())->gid, "L2");
    EXPECT_EQ(segments.back().gid, "L2");
}
