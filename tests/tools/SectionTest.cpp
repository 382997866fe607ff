// The cross-section: a small network of our own read from SQLite, cut along a line and
// checked against values worked out by hand; then the host drawing one over the sample.
#include "Host.h"

#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"
#include "layers/Kinds.h"

#include "network/UtilityKind.h"
#include "section/ClearanceTable.h"
#include "section/CrossSection.h"
#include "section/NetworkPipe.h"
#include "section/SectionPicture.h"
#include "tests/network/NetworkDatabase.h"

#include <QImage>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace {
using Contact = CrossSection::Contact;

// Ground rising 0.1 m per metre northwards: the pipes' ends off the line stand at other
// heights than the line, so the axis must be followed, not the depth at one end.
double ground(double, double y) {
    return 50.0 + 0.1 * y;
}

std::vector<NetworkPipe> crafted(std::string& problems) {
    NetworkDatabase db;
    for (const UtilityKind& kind : UtilityKinds)
        db.createKindTables(kind.code);
    struct Point {
        const char *code, *number;
        double x, y;
    };
    for (Point p : {Point{"JS", "J1", 5, -4},
                    {"JS", "J2", 5, 6},
                    {"JS", "J3", 25, -2},
                    {"JS", "J4", 25, 2},
                    {"TR", "T1", 5.4, -3},
                    {"TR", "T2", 5.4, 3},
                    {"GD", "G1", 10, 0},
                    {"GD", "G2", 14, 0},
                    {"GD", "G3", 10, 1},
                    {"GD", "G4", 14, 1},
                    {"WS", "W1", 16, 0},
                    {"WS", "W2", 16, 5},
                    {"WS", "W3", 16, -5}})
        db.addPoint(p.code, p.number, p.number, p.x, p.y, 0.0, "直线点");
    db.addLine("JS", "j1", "J1", "J2", 1.0, 1.5, "300");     // crosses at 5
    db.addLine("JS", "j2", "J3", "J4", 1.0, 1.0, "300");     // beyond B
    db.addLine("TR", "t1", "T1", "T2", 1.2, 1.2, "100");     // crosses at 5.4, 0.2 m from j1
    db.addLine("GD", "g1", "G1", "G2", 0.8, 0.8, "200X100"); // along the line from 10 to 14
    db.addLine("GD", "g2", "G3", "G4", 0.8, 0.8, "200X100"); // beside it, 1 m off
    db.addLine("WS", "w1", "W1", "W2", 2.0, 2.0, "500");     // starts on the line at 16
    db.addLine("WS", "w2", "W3", "W1", 2.0, 2.0, "500");     // ends there: the same well
    std::vector<NetworkPipe> pipes;
    EXPECT_TRUE(NetworkPipe::readAll(pipes, problems));
    return pipes;
}
} // namespace

TEST(Section, CraftedNetworkAgainstHandValues) {
    std::string problems;
    std::vector<NetworkPipe> pipes = crafted(problems);
    EXPECT_EQ(problems, "");
    ASSERT_EQ(pipes.size(), 7u);
    ClearanceTable table;
    std::vector<std::string> bad;
    std::istringstream rules("# comment\ndefault 0.3\nTR JS 0.5\nXX TR 1\nJS TR -1\nGD 0.2\n");
    table.parse(rules, bad);
    EXPECT_EQ(bad.size(), 3u);
    EXPECT_DOUBLE_EQ(table.required("JS", "TR"), 0.5);
    EXPECT_DOUBLE_EQ(table.required("GD", "WS"), 0.3);

    CrossSection s = CrossSection::compute(0, 0, 20, 0, pipes, ground, table);
    struct Expected {
        const char* code;
        double distance, centre, top, bottom;
        Contact contact;
    };
    // j1: axis from 49.6 - 1.0 to 50.6 - 1.5, 0.4 of the way; its slope 0.5 in 10 makes
    // the cut 0.3 * 1.00125 tall. w1, w2: level at 48; slope 0.5 in 5.
    const Expected expected[] = {{"JS", 5.0, 48.8, 1.05, 1.35, Contact::Crosses},
                                 {"TR", 5.4, 48.8, 1.15, 1.25, Contact::Crosses},
                                 {"GD", 10.0, 49.2, 0.75, 0.85, Contact::Along},
                                 {"WS", 16.0, 48.0, 1.75, 2.25, Contact::EndOnLine},
                                 {"WS", 16.0, 48.0, 1.75, 2.25, Contact::EndOnLine}};
    ASSERT_EQ(s.rows.size(), std::size(expected));
    for (std::size_t i = 0; i < s.rows.size(); ++i) {
        SCOPED_TRACE(i);
        const CrossSection::Row& r = s.rows[i];
        EXPECT_STREQ(UtilityKinds[r.kind].code, expected[i].code);
        EXPECT_NEAR(r.distance, expected[i].distance, 0.01);
        EXPECT_NEAR(r.centre, expected[i].centre, 0.01);
        EXPECT_NEAR(r.depthTop, expected[i].top, 0.01);
        EXPECT_NEAR(r.depthBottom, expected[i].bottom, 0.01);
        EXPECT_EQ(r.contact, expected[i].contact);
    }
    EXPECT_NEAR(s.rows[2].alongTo, 14.0, 1e-9);
    EXPECT_EQ(s.rows[2].shape, PipeSection::Shape::Rectangular);
    // A figure past a kilometre is no size: 0, never an infinite single-precision box.
    EXPECT_EQ(PipeSection::parse("1e39X400").width, 0.0);
    // Only j1 and t1 are too close; the two drains meet at their well, which is no conflict.
    ASSERT_EQ(s.clearances.size(), 1u);
    EXPECT_EQ(s.clearances[0].first, 0u);
    EXPECT_EQ(s.clearances[0].second, 1u);
    EXPECT_NEAR(s.clearances[0].gap, 0.2, 1e-9);
    EXPECT_EQ(s.ground.size(), 21u);

    // The scene's own placement of j1 puts its axis where the section says, on the same terrain.
    struct Slope : TerrainHeight {
        double heightAt(double x, double y) const override { return ground(x, y); }
    };
    g_playerManager->setTerrain(std::make_shared<Slope>());
    osg::ref_ptr<DBPipe> layer = new DBJSPipe;
    CPPipeLine j1;
    j1.startX = 5, j1.startY = -4, j1.startDepth = 1.0, j1.endX = 5, j1.endY = 6, j1.endDepth = 1.5;
    j1.sectionSize = "300";
    osg::Matrixd placement;
    osg::ref_ptr<osg::Node> body = layer->createSegmentGeometry(j1, placement);
    ASSERT_TRUE(body);
    osg::Vec3d axis = osg::Vec3d(0, 0.4 * std::hypot(10.0, 0.5), 0) * placement;
    EXPECT_NEAR(axis.z(), s.rows[0].centre, 1e-6);
    EXPECT_NEAR(axis.y(), s.rows[0].y, 1e-6);

    // The same line drawn the other way round and one of no length.
    CrossSection back = CrossSection::compute(20, 0, 0, 0, pipes, ground, table);
    ASSERT_EQ(back.rows.size(), 5u);
    EXPECT_NEAR(back.rows[0].distance, 4.0, 1e-9);
    EXPECT_STREQ(UtilityKinds[back.rows[0].kind].code, "WS");
    EXPECT_NEAR(back.rows[2].distance, 6.0, 1e-9); // the common stretch starts at 14
    CrossSection none = CrossSection::compute(5, 1, 5, 1, pipes, ground, table);
    EXPECT_TRUE(none.rows.empty());
    EXPECT_FALSE(none.message.empty());
}

class SectionHost : public Host {};

TEST_F(SectionHost, RightClickWritesTableAndPictures) {
    std::string prefix = dir + "/cut";
    std::string out = run("section-out " + prefix + "\ncamera " + at(0, -120, 150) + ' ' + at(0, 0, -2) +
                          u8"\nactivate 横断面\n" + mouse("left", -80, 10) + mouse("move", 80, -10) +
                          mouse("right", 80, -10) + "quit\n");
    ASSERT_EQ(callbacks(out, "Transect").size(), 1u) << out;
    std::size_t rows = 0;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("section\t", 0) == 0 && isdigit(static_cast<unsigned char>(line[8])))
            ++rows;
    EXPECT_GT(rows, 0u) << out;
    QImage png(QString::fromStdString(prefix + ".png"));
    EXPECT_EQ(png.size(), QSize(640, 360));
    std::string svg = read(prefix + ".svg"), csv = read(prefix + ".csv");
    EXPECT_NE(svg.find("vertical exaggeration"), std::string::npos);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), static_cast<long>(rows + 1)) << csv;
}
