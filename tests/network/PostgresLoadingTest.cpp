#include "NetworkDatabase.h"

#include "Torvik/CXPlayerManager.h"
#include "network/RecordLoader.h"
#include "tests/db/TestServer.h"
#include "text/GbkText.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>
#include <vector>

// The loaders reading a network kept on the test suite's PostgreSQL server. Tables are
// made there with unquoted names, which the server folds to lower case, as it folds the
// loaders' SQL.

namespace {

const std::vector<std::string> WaterSupply = {
    "CREATE TABLE TQMB_JSPoint (GID TEXT, 物探点号 TEXT, X坐标 DOUBLE PRECISION, Y坐标 DOUBLE PRECISION, "
    "地面高程 DOUBLE PRECISION, 深度 DOUBLE PRECISION, 测点性质 TEXT, 附属设施 TEXT, 权属单位 TEXT)",
    "CREATE TABLE TQMB_JSLine (GID TEXT, 起点物探号 TEXT, 终点物探号 TEXT, 起点埋深 DOUBLE PRECISION, "
    "终点埋深 DOUBLE PRECISION, 材质 TEXT, 断面尺寸 TEXT, 管线长度 DOUBLE PRECISION)",
    "INSERT INTO TQMB_JSPoint VALUES ('J1', 'JS1', 500100.25, 3100200.5, 12.5, 1.25, '三通', '检修井', "
    "'市政')",
    "INSERT INTO TQMB_JSPoint VALUES ('J2', 'JS2', 500130.75, 3100240.125, 12, NULL, '直线点', '', "
    "'自来水公司')",
    "INSERT INTO TQMB_JSPoint VALUES ('J3', 'JS3', NULL, 3100250, 11.5, 1, '弯头', NULL, NULL)",
    "INSERT INTO TQMB_JSLine VALUES ('L1', 'JS1', 'JS2', 1.2, 2, '球墨铸铁', 'DN300', 50.1)",
    "INSERT INTO TQMB_JSLine VALUES ('L2', 'JS2', 'JS9', 1, 1, 'PE', '', NULL)",
};

// A record's interpreted members, then each attribute's name and text (and type, unless NULL:
// the drivers type their NULLs differently).
template <class Record> std::string attributes(const Record& record) {
    std::string all;
    record.attributes.forEach([&](const std::string& name, const QVariant& value) {
        all +=
            " " + name +
            (value.isNull() ? ":null"
                            : ":" + std::to_string(value.userType()) + "=" + qstringToGbk(value.toString()));
    });
    return all;
}
std::string line(const CPPoint& p) {
    std::ostringstream out;
    out.precision(17);
    out << p.gid << " " << p.surveyNumber << " " << p.x << " " << p.y << " " << p.groundElevation << " "
        << p.depth << " " << p.nature << "/" << p.facility;
    return out.str() + attributes(p);
}
std::string line(const CPPipeLine& s) {
    std::ostringstream out;
    out.precision(17);
    out << s.gid << " " << s.startNumber << ">" << s.endNumber << " " << s.startX << " " << s.startY << " "
        << s.startElevation << " " << s.startDepth << " > " << s.endX << " " << s.endY << " "
        << s.endElevation << " " << s.endDepth << " " << s.material << " " << s.sectionSize;
    return out.str() + attributes(s);
}

// The water supply kind's points and segments as loaded, a record a line, sorted: a server
// may join in another order.
std::string waterSupply(std::list<CPPoint>& points, std::list<CPPipeLine>& segments) {
    EXPECT_TRUE(loadPointRows("TQMB_JSPoint", points));
    EXPECT_TRUE(loadSegmentRows(segmentQuery("TQMB_JSLine", "TQMB_JSPoint"), "给水管线", 7, segments));
    std::vector<std::string> lines;
    for (const CPPoint& point : points)
        lines.push_back(line(point));
    for (const CPPipeLine& segment : segments)
        lines.push_back(line(segment));
    std::sort(lines.begin(), lines.end());
    std::string all;
    for (const std::string& l : lines)
        all += l + "\n";
    return all;
}

// A local port nothing listens on.
int freePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        ADD_FAILURE() << "no free port";
    close(s);
    return ntohs(address.sin_port);
}

// The backends of the loaders' connections to the test's database.
const char* const LoaderBackends = "FROM pg_stat_activity WHERE application_name = 'pipeviewer' AND "
                                   "datname = current_database() AND pid <> pg_backend_pid()";

} // namespace

TEST(PostgresLoading, AKindOnTheServerGivesTheRecordsTheSameRowsInAFileGive) {
    PN_NEED_POSTGRES();
    NetworkDatabase file;
    for (const std::string& statement : WaterSupply)
        file.exec(statement);
    TestServer::exec(WaterSupply);
    std::list<CPPoint> points;
    std::list<CPPipeLine> segments;
    const std::string fromFile = waterSupply(points, segments);
    file.writeConfig(TestServer::address().text());
    points.clear();
    segments.clear();
    Reports leftOut(CXPlayerManager::LeftOutCallback);
    const std::string fromServer = waterSupply(points, segments);
    EXPECT_EQ(fromServer, fromFile);
    // The row without an x is left out and counted, as from a file.
    EXPECT_EQ(leftOut, std::vector<std::string>{"TQMB_JSPoint\t1\tcoordinates not numbers"});

    // The members' columns under the members' own spelling, Chinese text in the same GBK bytes.
    ASSERT_EQ(points.size(), 2u);
    const CPPoint& tee = points.front();
    EXPECT_EQ(tee.gid + " " + tee.nature + " " + tee.facility, "J1 三通 检修井");
    EXPECT_EQ(tee.nature, "\xC8\xFD\xCD\xA8");
    EXPECT_EQ(tee.x, 500100.25);
    EXPECT_EQ(tee.y, 3100200.5);
    EXPECT_EQ(qstringToGbk(tee.attributes.at("GID").toString()) +
                  tee.attributes.at("X坐标").toString().toStdString(),
              "J1500100.25");
    EXPECT_EQ(tee.attributes.count("gid") + tee.attributes.count("x坐标"), 0u);
    EXPECT_EQ(qstringToGbk(tee.attributes.at("权属单位").toString()), "市政");
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments.front().gid + segments.front().material, "L1球墨铸铁");
    EXPECT_EQ(segments.front().endY, 3100240.125);
}

// A load that cannot reach the network fails, says so, and leaves the next load to read.
TEST(PostgresLoading, AServerDownOrRefusingTheLoginFailsTheLoadAloudAndTheNextLoadReads) {
    PN_NEED_POSTGRES();
    NetworkDatabase db;
    TestServer::exec(WaterSupply);
    PostgresAddress down = TestServer::address(), stranger = TestServer::address();
    down.port = freePort();
    stranger.user = "pn_stranger"; // no such role, no password for it
    for (const auto& [address, because] :
         {std::pair(down, "Connection refused"), std::pair(stranger, "no password supplied")}) {
        db.writeConfig(address.text());
        Reports failures(CXPlayerManager::LoadFailureCallback);
        std::list<CPPoint> points;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(loadPointRows("TQMB_JSPoint", points)) << address.text();
        const std::string printed = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(points.empty());
        for (const char* words : {"Cannot open database: ", "Unable to establish a database connection.\n",
                                  because, "Click Cancel to exit."})
            EXPECT_NE(printed.find(words), std::string::npos) << address.text() << ": " << printed;
        EXPECT_EQ(failures, std::vector<std::string>{"TQMB_JSPoint: the network database " + address.text() +
                                                     " could not be opened"});
    }
    db.writeConfig(TestServer::address().text());
    std::list<CPPoint> points;
    EXPECT_TRUE(loadPointRows("TQMB_JSPoint", points));
    EXPECT_EQ(points.size(), 2u);
}

// A connection kept between loads may be cut under it (the server restarted, the network
// dropped) and still look open: the load that meets it reads on a new one.
TEST(PostgresLoading, AConnectionCutUnderTheThreadIsMadeAgainByTheNextLoad) {
    PN_NEED_POSTGRES();
    NetworkDatabase db;
    db.writeConfig(TestServer::address().text());
    TestServer::exec(WaterSupply);
    auto loads = [](const std::string& table) {
        std::list<CPPoint> points;
        return loadPointRows(table, points) && points.size() == 2;
    };
    ASSERT_TRUE(loads("TQMB_JSPoint"));
    const std::string before =
        TestServer::value(std::string("SELECT string_agg(pid::text, ',') ") + LoaderBackends);
    ASSERT_EQ(TestServer::value(std::string("SELECT count(*) ") + LoaderBackends), "1");
    // Waits until the backend is gone.
    ASSERT_EQ(
        TestServer::value(std::string("SELECT bool_and(pg_terminate_backend(pid, 10000)) ") + LoaderBackends),
        "true");
    Reports failures(CXPlayerManager::LoadFailureCallback);
    EXPECT_TRUE(loads("TQMB_JSPoint"));
    EXPECT_TRUE(failures.empty()) << failures.front();
    const std::string after =
        TestServer::value(std::string("SELECT string_agg(pid::text, ',') ") + LoaderBackends);
    EXPECT_NE(after, before);
    EXPECT_EQ(after.find(','), std::string::npos) << after;

    // A query that fails on a good connection fails its load once, and the next reads.
    EXPECT_FALSE(loads("TQMB_JSPoints"));
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].rfind("TQMB_JSPoints: the query failed", 0), 0u) << failures[0];
    EXPECT_TRUE(loads("TQMB_JSPoint"));
}
