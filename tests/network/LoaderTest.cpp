#include "NetworkDatabase.h"

#include "Torvik/CXPlayerManager.h"
#include "layers/Kinds.h"
#include "network/RecordLoader.h"
#include "sample/MdbWriter.h"
#include "text/GbkText.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

// The kinds' point caches live for the whole process, so each test below reads kinds
// of its own.

namespace {
std::string gids(DBPoint& category) {
    std::string all;
    for (const CPPoint* point : category.getRecords())
        all += point->gid + " ";
    return all;
}

// The interpreted members of a record, in the order of the table's columns.
std::string members(const CPPoint& p) {
    std::ostringstream out;
    out.precision(12);
    out << p.gid << " " << p.surveyNumber << " " << p.x << " " << p.y << " " << p.groundElevation << " "
        << p.depth << " " << p.nature << "/" << p.facility << " (" << p.attributes.size() << ")";
    return out.str();
}
std::string members(const CPPipeLine& s) {
    std::ostringstream out;
    out.precision(12);
    out << s.gid << " " << s.startNumber << ">" << s.endNumber << " " << s.startX << " " << s.startY << " "
        << s.startElevation << " " << s.startDepth << " > " << s.endX << " " << s.endY << " "
        << s.endElevation << " " << s.endDepth << " " << s.material << " " << s.sectionSize << " "
        << s.layerName << " " << std::hex << s.color << " (" << std::dec << s.attributes.size() << ")";
    return out.str();
}
// The members and then every attribute with its type, nullness and text.
template <class Record> std::string everything(const Record& record) {
    std::string all = members(record);
    record.attributes.forEach([&](const std::string& name, const QVariant& value) {
        all += " " + name + ":" + std::to_string(value.userType()) + (value.isNull() ? "null" : "=") +
               qstringToGbk(value.toString());
    });
    return all;
}

// A kind's points and segments, each record on a line.
std::string kindRecords(const std::string& code) {
    std::list<CPPoint> points;
    std::list<CPPipeLine> segments;
    EXPECT_TRUE(loadPointRows("TQMB_" + code + "Point", points));
    EXPECT_TRUE(
        loadSegmentRows(segmentQuery("TQMB_" + code + "Line", "TQMB_" + code + "Point"), code, 7, segments));
    std::string all;
    for (const CPPoint& point : points)
        all += everything(point) + "\n";
    for (const CPPipeLine& segment : segments)
        all += everything(segment) + "\n";
    return all;
}
} // namespace

// A category takes the points whose nature, or else attached facility, is its name.
TEST(PointLoading, CategoriesSelectRealRowsByNatureOrFacilityWithEveryMemberAndColumn) {
    NetworkDatabase db;
    db.createKindTables("RS");
    db.addPoint("RS", "R1", "RS1", 500100.25, 3100200.5, 1.25, "三通", "检修井"); // a tee with a well on it
    // NULL, text and out-of-range numbers read 0; the map keeps what the table holds.
    db.exec("INSERT INTO TQMB_RSPoint VALUES ('R2', 'RS2', 7, 8, '未测', NULL, '检修井', '检修井', NULL)");
    db.exec("INSERT INTO TQMB_RSPoint VALUES ('R3', 'RS3', 9, 10, 1e999, -1e999, '弯头', '', NULL)");
    db.addPoint("RS", "R4", "RS4", 4, 4, 1, "变径"); // no category draws it

    osg::ref_ptr<DBPoint> wells = new DBRSJXJPoint, tees = new DBRSSTPoint, elbows = new DBRSWTPoint;
    EXPECT_EQ(gids(*tees), "R1 ");
    EXPECT_EQ(gids(*elbows), "R3 ");
    const std::vector<const CPPoint*>& records = wells->getRecords();
    ASSERT_EQ(gids(*wells), "R1 R2 ");
    // The tee and the well are one loaded point, not two copies of it.
    EXPECT_EQ(records.front(), tees->getRecords().front());
    EXPECT_EQ(members(*records.front()), "R1 RS1 500100.25 3100200.5 999 1.25 三通/检修井 (9)");
    EXPECT_EQ(members(*records.back()), "R2 RS2 7 8 0 0 检修井/检修井 (9)");
    EXPECT_EQ(members(*elbows->getRecords().front()), "R3 RS3 9 10 0 0 弯头/ (9)");
    EXPECT_EQ(qstringToGbk(records.front()->attributes.at("权属单位").toString()), "市政");
    EXPECT_EQ(qstringToGbk(records.back()->attributes.at("地面高程").toString()), "未测");
    EXPECT_TRUE(records.back()->attributes.at("深度").isNull());
}

TEST(PointLoading, AKindThatCannotBeReadOrIsEmptyIsReadAgainOnTheNextCallAndOnceLoadedStays) {
    NetworkDatabase db;
    osg::ref_ptr<DBPipe> telecom = new DBDXPipe;
    osg::ref_ptr<DBPoint> wells = new DBDXJXJPoint, manholes = new DBDXRKPoint;
    auto nothingLoads = [&](const char* why) {
        EXPECT_TRUE(wells->getRecords().empty()) << why;
        EXPECT_TRUE(telecom->segments().empty()) << why;
    };
    std::remove(db.path("pipe.xml").c_str());
    nothingLoads("no pipe.xml");
    db.writeConfig(db.path("missing.sqlite"));
    nothingLoads("no database");
    db.writeConfig(db.path("network.sqlite"));
    nothingLoads("no tables");
    db.createKindTables("DX");
    nothingLoads("no rows");

    db.addPoint("DX", "D1", "DX1", 0, 0, 1, "直线点", "检修井");
    db.addPoint("DX", "D2", "DX2", 3, 4, 1, "手孔");
    db.addLine("DX", "L1", "DX1", "DX2", 1, 1);
    EXPECT_EQ(gids(*wells), "D1 ");
    EXPECT_EQ(telecom->segments().size(), 1u);
    EXPECT_TRUE(manholes->getRecords().empty());
    // The kind's points were read: a row added later reaches no category.
    db.addPoint("DX", "D3", "DX3", 2, 2, 1, "人孔");
    EXPECT_TRUE(manholes->getRecords().empty());
}

TEST(PipeLayer, SegmentsJoinTheirEndPointsBySurveyNumberAndKeepEveryColumn) {
    NetworkDatabase db;
    db.createKindTables("JS");
    for (const char* row : {"'P1', 'A', 0, 0, 10", "'P2', 'B', 30, 40, 20", "'P3', 'C', 30, 0, 30",
                            "'P4', 'C', 31, 0, 30"}) // C surveyed twice
        db.exec(std::string("INSERT INTO TQMB_JSPoint VALUES (") + row + ", 1, '直线点', '', NULL)");
    db.addLine("JS", "L1", "A", "B", 1.2, 2.0, "600X400");
    db.addLine("JS", "L2", "B", "C", 1.0, 1.0);
    db.addLine("JS", "L3", "C", "X", 1.0, 1.0); // end number misspelt: left out, counted
    db.exec("INSERT INTO TQMB_JSLine (GID, 起点物探号) VALUES ('L5', 'A')"); // no end number: so too
    db.exec("INSERT INTO TQMB_JSPoint VALUES ('P5', 'D', '东', 0, 30, 1, '直线点', '', NULL)");
    db.addLine("JS", "L4", "C", "D", 1.0, 1.0); // an end's x is text: both rows (C twice) left out
    // A start x of the line table's own: the one joined from the point table wins.
    db.exec("ALTER TABLE TQMB_JSLine ADD COLUMN 起点横坐标 REAL DEFAULT -1");

    osg::ref_ptr<DBPipe> water = new DBJSPipe;
    Reports leftOut(CXPlayerManager::LeftOutCallback);
    const std::list<CPPipeLine>& segments = water->segments();
    ASSERT_EQ(segments.size(), 3u);
    EXPECT_EQ(leftOut, (std::vector<std::string>{"给水管线\t2\tcoordinates not numbers",
                                                 "给水管线\t2\tend points not found"}));
    EXPECT_EQ(std::count_if(segments.begin(), segments.end(), [](auto& s) { return s.gid == "L2"; }), 2);
    const CPPipeLine& first =
        *std::find_if(segments.begin(), segments.end(), [](auto& s) { return s.gid == "L1"; });
    EXPECT_EQ(members(first), "L1 A>B 0 0 10 1.2 > 30 40 20 2 PE 600X400 给水管线 ff0000 (14)");
    // Along the pipe: the vertical run is the fall of the burial depths.
    EXPECT_DOUBLE_EQ(const_cast<CPPipeLine&>(first).length(), std::sqrt(30 * 30 + 40 * 40 + 0.8 * 0.8));
    // A record filled column by column holds what the loader stored by position: the typed
    // member the last column of a name, the look-up the first, with Qt's types and NULLs.
    EXPECT_EQ(first.attributes.at("起点横坐标").toDouble(), -1);
    QSqlQuery rows(QSqlDatabase::database(db.connection().c_str()));
    ASSERT_TRUE(
        rows.exec(gbkToQString(segmentQuery("TQMB_JSLine", "TQMB_JSPoint") + " AND TQMB_JSLine.GID = 'L1'")));
    ASSERT_TRUE(rows.next());
    CPPipeLine byHand;
    for (int i = 0; i < rows.record().count(); ++i)
        byHand.setField(qstringToGbk(rows.record().fieldName(i)), rows.value(i));
    byHand.layerName = first.layerName;
    byHand.color = first.color;
    EXPECT_EQ(everything(byHand), everything(first));
    // A member changed later leaves the attribute, which may have been read from it, alone.
    CPPipeLine changed(first);
    changed.setField("GID", QVariant(QString("L9")));
    changed.setField("起点物探号", QVariant(QString("Z")));
    EXPECT_EQ(changed.gid + changed.startNumber + qstringToGbk(changed.attributes.at("GID").toString()) +
                  qstringToGbk(changed.attributes.at("起点物探号").toString()),
              "L9ZL1A");
    EXPECT_EQ(everything(byHand), everything(first));
}

TEST(PipeLayer, AKindInAnAccessFileLoadsItsPointsAndSegments) {
    NetworkDatabase db;
    const MdbWriter::Type t = MdbWriter::Type::Text, d = MdbWriter::Type::Double;
    MdbWriter mdb;
    int points = mdb.addTable(
        "TQMB_YDPoint",
        {{"GID", t}, {"物探点号", t}, {"X坐标", d}, {"Y坐标", d}, {"地面高程", d}, {"测点性质", t}});
    int lines = mdb.addTable("TQMB_YDLine", {{"GID", t}, {"起点物探号", t}, {"终点物探号", t}});
    using Text = std::string;
    ASSERT_TRUE(mdb.addRow(points, {Text("Y1"), Text("YD1"), 10.5, 20.25, 12.5, Text("人孔")}));
    ASSERT_TRUE(mdb.addRow(points, {Text("Y2"), Text("YD2"), 40.5, 20.25, 12.0, Text("手孔")}));
    ASSERT_TRUE(mdb.addRow(lines, {Text("L1"), Text("YD1"), Text("YD2")}));
    ASSERT_TRUE(mdb.save(gbkToUtf8(db.path("移动管网.mdb")))) << mdb.error();
    db.writeConfig(db.path("移动管网.mdb"));

    osg::ref_ptr<DBPipe> mobile = new DBYDPipe;
    osg::ref_ptr<DBPoint> manholes = new DBYDRKPoint, handHoles = new DBYDSKPoint;
    EXPECT_EQ(gids(*manholes), "Y1 ");
    ASSERT_EQ(gids(*handHoles), "Y2 ");
    EXPECT_EQ(members(*handHoles->getRecords().front()), "Y2 YD2 40.5 20.25 12 0 手孔/ (6)");
    ASSERT_EQ(mobile->segments().size(), 1u);
    EXPECT_EQ(members(mobile->segments().front()),
              "L1 YD1>YD2 10.5 20.25 12.5 0 > 40.5 20.25 12 0   移动管线 ff00 (9)");
}

// A damaged page met while the rows are read fails the kind's load: no row before it is kept.
TEST(PointLoading, ADamagedFileFailsTheWholeLoadAndSaysSo) {
    NetworkDatabase db;
    db.createKindTables("PS");
    db.begin();
    for (int i = 0; i < 3000; ++i)
        db.addPoint("PS", "P" + std::to_string(i), "PS" + std::to_string(i), i, i, 1, "检修井");
    db.commit();
    std::fstream file(db.path("network.sqlite"), std::ios::in | std::ios::out | std::ios::binary);
    file.seekg(0, std::ios::end);
    file.seekp(file.tellg() / 2 / 4096 * 4096);
    file << std::string(4096, 'Z');
    file.close();
    Reports failures(CXPlayerManager::LoadFailureCallback);
    osg::ref_ptr<DBPoint> wells = new DBPSJXJPoint;
    EXPECT_TRUE(wells->getRecords().empty());
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].rfind("TQMB_PSPoint: reading the rows failed", 0), 0u) << failures[0];
}

// Kinds load side by side on the pager threads, each thread on a connection of its own,
// from a SQLite file and from an Access file's mirror alike.
TEST(PipeLayer, TwoThreadsLoadingTwoKindsAtOnceGetWhatOneThreadGetsLoadingThemInTurn) {
    NetworkDatabase db;
    const MdbWriter::Type t = MdbWriter::Type::Text, d = MdbWriter::Type::Double;
    MdbWriter mdb;
    db.begin();
    for (const std::string code : {"GD", "LD"}) {
        db.createKindTables(code);
        const int points = mdb.addTable("TQMB_" + code + "Point", {{"GID", t},
                                                                   {"物探点号", t},
                                                                   {"X坐标", d},
                                                                   {"Y坐标", d},
                                                                   {"地面高程", d},
                                                                   {"测点性质", t},
                                                                   {"深度", d}});
        const int lines =
            mdb.addTable("TQMB_" + code + "Line", {{"GID", t}, {"起点物探号", t}, {"终点物探号", t}});
        for (int i = 0; i < 400; ++i) {
            const std::string n = std::to_string(i), next = std::to_string(i + 1);
            db.addPoint(code, "P" + n, code + n, i, i % 7, i % 3, i % 2 ? "人孔" : "直线点");
            db.addLine(code, "L" + n, code + n, code + next, 1, 1.5);
            using Text = std::string;
            ASSERT_TRUE(mdb.addRow(points, {Text("P" + n), Text(code + n), 1.5 * i, 2.0, 9.5, Text("手孔"),
                                            i % 5 ? MdbWriter::Value(0.5) : MdbWriter::Value()}));
            ASSERT_TRUE(mdb.addRow(lines, {Text("L" + n), Text(code + n), Text(code + next)}));
        }
    }
    db.commit();
    ASSERT_TRUE(mdb.save(gbkToUtf8(db.path("管网.mdb")))) << mdb.error();
    for (const std::string& file : {db.path("network.sqlite"), db.path("管网.mdb")}) {
        db.writeConfig(file);
        const std::string power = kindRecords("GD"), lighting = kindRecords("LD");
        EXPECT_EQ(std::count(power.begin(), power.end(), '\n'), 799) << file;
        for (int round = 0; round < 3; ++round) {
            std::string first, second;
            std::thread one([&] { first = kindRecords("GD"); }), two([&] { second = kindRecords("LD"); });
            one.join();
            two.join();
            EXPECT_EQ(first, power) << file;
            EXPECT_EQ(second, lighting) << file;
        }
    }
}
