#include "database/AccessMirror.h"
#include "database/DBConnection.h"
#include "text/GbkText.h"
#include "sample/MdbWriter.h"
#include "tests/db/DbFixture.h"

#include <QDir>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <thread>

namespace {
using Value = MdbWriter::Value;
using Type = MdbWriter::Type;

// How a value reads in SQL; also how rows are compared, NULL apart from the empty text.
std::string literal(const Value& v) {
    char number[32];
    if (const double* x = std::get_if<double>(&v))
        std::snprintf(number, sizeof number, "%.17g", *x);
    return std::holds_alternative<std::monostate>(v) ? "NULL"
           : std::holds_alternative<double>(v)       ? number
                                                     : "'" + std::get<std::string>(v) + "'";
}

std::string literalRow(const std::vector<Value>& row, const char* separator = "|") {
    std::string line;
    for (const Value& v : row)
        line += (line.empty() ? "" : separator) + literal(v);
    return line;
}

// A rain water network of n points in a chain, one segment between neighbours, with
// the survey's usual faults: missing values, a misspelt end point, a point number
// surveyed twice.
struct Network {
    std::vector<std::vector<Value>> points, lines;

    explicit Network(int n) {
        for (int i = 0; i < n; ++i)
            points.push_back(
                {std::to_string(i + 1), "YS" + std::to_string(i), 500000.0 + i * 7.25, 3500000.0 + i / 3.0,
                 i % 5 ? Value(12.5 + i % 3) : Value(), i % 6 ? Value(1.2 + i % 4 * 0.3) : Value(),
                 std::string(i % 3 ? "直线点" : "三通"), std::string(i % 4 ? "雨水检修井" : "")});
        points.push_back(
            {std::string("dup"), std::string("YS3"), 1.0, 2.0, Value(), 0.5, std::string("弯头"), Value()});
        for (int i = 0; i + 1 < n; ++i)
            lines.push_back({std::to_string(i + 1), i % 2 ? Value(std::string("砼")) : Value(),
                             "YS" + std::to_string(i),
                             "YS" + (i == 7 ? std::string("七") : std::to_string(i + 1)), 1.2, 2.0,
                             std::string(i % 3 ? "300" : "400X300")});
    }

    void writeAccess(const std::string& gbkPath) const {
        MdbWriter writer;
        writer.addTable("TQMB_YSPoint", {{"GID", Type::Text},
                                         {"物探点号", Type::Text},
                                         {"X坐标", Type::Double},
                                         {"Y坐标", Type::Double},
                                         {"地面高程", Type::Double},
                                         {"深度", Type::Double},
                                         {"测点性质", Type::Text},
                                         {"附属设施", Type::Text}});
        writer.addTable("TQMB_YSLine", {{"GID", Type::Text},
                                        {"材质", Type::Text},
                                        {"起点物探号", Type::Text},
                                        {"终点物探号", Type::Text},
                                        {"起点埋深", Type::Double},
                                        {"终点埋深", Type::Double},
                                        {"断面尺寸", Type::Text}});
        for (const auto& row : points)
            ASSERT_TRUE(writer.addRow(0, row)) << writer.error();
        for (const auto& row : lines)
            ASSERT_TRUE(writer.addRow(1, row)) << writer.error();
        ASSERT_TRUE(writer.save(gbkToUtf8(gbkPath))) << writer.error();
    }

    void writeSqlite(const std::string& gbkPath) const {
        std::vector<std::string> sql = {
            "CREATE TABLE TQMB_YSPoint (GID TEXT, 物探点号 TEXT, X坐标 REAL, Y坐标 REAL, "
            "地面高程 REAL, 深度 REAL, 测点性质 TEXT, 附属设施 TEXT)",
            "CREATE TABLE TQMB_YSLine (GID TEXT, 材质 TEXT, 起点物探号 TEXT, 终点物探号 "
            "TEXT, 起点埋深 REAL, 终点埋深 REAL, 断面尺寸 TEXT)"};
        for (const auto& row : points)
            sql.push_back("INSERT INTO TQMB_YSPoint VALUES (" + literalRow(row, ",") + ")");
        for (const auto& row : lines)
            sql.push_back("INSERT INTO TQMB_YSLine VALUES (" + literalRow(row, ",") + ")");
        std::vector<const char*> statements;
        for (const auto& s : sql)
            statements.push_back(s.c_str());
        statements.push_back(nullptr);
        DbFixture::makeSqlite(gbkPath, statements.data());
    }
};

// The segment loader's query for a kind, as it runs it.
const char* const segmentJoin =
    "SELECT TQMB_YSLine.*, 管点1.X坐标 as 起点横坐标, 管点1.Y坐标 as 起点纵坐标, 管点1.地面高程 as 起点高程, "
    "管点2.X坐标 as 终点横坐标, 管点2.Y坐标 as 终点纵坐标 ,管点2.地面高程 as 终点高程 FROM TQMB_YSLine, "
    "TQMB_YSPoint as 管点1, TQMB_YSPoint as 管点2 WHERE TQMB_YSLine.起点物探号 = 管点1.物探点号 AND "
    "TQMB_YSLine.终点物探号 = 管点2.物探点号";

// A loader's reading of a query: the column names, then every row (literal forms).
std::vector<std::string> rowsOf(const std::string& path, const char* gbkSql) {
    std::vector<std::string> rows;
    DBConnection connection(path);
    if (!connection.open()) {
        ADD_FAILURE() << "cannot open " << path;
        return rows;
    }
    QSqlQuery query; // made after open, on the default connection
    EXPECT_TRUE(query.prepare(gbkToQString(gbkSql)) && query.exec()) << gbkSql;
    std::vector<Value> names;
    for (int i = 0; i < query.record().count(); ++i)
        names.push_back(qstringToGbk(query.record().fieldName(i)));
    rows.push_back(literalRow(names));
    while (query.next()) {
        std::vector<Value> row;
        for (int i = 0; i < query.record().count(); ++i) {
            const QVariant v = query.value(i);
            row.push_back(v.isNull()                     ? Value()
                          : v.type() == QVariant::Double ? Value(v.toDouble())
                                                         : Value(qstringToGbk(v.toString())));
        }
        rows.push_back(literalRow(row));
    }
    connection.close();
    return rows;
}
} // namespace

TEST(AccessBackend, RoundTripKeepsEveryValueNullAndChineseName) {
    DbFixture folder;
    ASSERT_TRUE(QDir().mkpath(gbkToQString(folder.path("管网 2024"))));
    const std::string path = folder.path("管网 2024/雨水 管网.mdb");
    const Network network(600); // several data pages per table
    network.writeAccess(path);

    const std::vector<std::string> rows = rowsOf(path, "SELECT * FROM TQMB_YSPoint");
    ASSERT_EQ(rows.size(), network.points.size() + 1);
    EXPECT_EQ(rows[0], "'GID'|'物探点号'|'X坐标'|'Y坐标'|'地面高程'|'深度'|'测点性质'|'附属设施'");
    for (size_t r = 0; r < network.points.size(); ++r)
        ASSERT_EQ(rows[r + 1], literalRow(network.points[r])) << "row " << r;
}

TEST(AccessBackend, SegmentJoinGivesTheSameRowsAsSqlite) {
    DbFixture folder;
    const Network network(300);
    network.writeAccess(folder.path("network.mdb"));
    network.writeSqlite(folder.path("network.sqlite"));

    std::vector<std::string> fromAccess = rowsOf(folder.path("network.mdb"), segmentJoin);
    std::vector<std::string> fromSqlite = rowsOf(folder.path("network.sqlite"), segmentJoin);
    // 299 segments: the misspelt end point drops one, the twice-surveyed YS3 doubles two.
    ASSERT_EQ(fromAccess.size(), 1u + 299 - 1 + 2);
    EXPECT_EQ(fromAccess[0],
              "'GID'|'材质'|'起点物探号'|'终点物探号'|'起点埋深'|'终点埋深'|'断面尺寸'|'起点横坐标'|"
              "'起点纵坐标'|'起点高程'|'终点横坐标'|'终点纵坐标'|'终点高程'");
    std::sort(fromAccess.begin() + 1, fromAccess.end());
    std::sort(fromSqlite.begin() + 1, fromSqlite.end());
    EXPECT_EQ(fromAccess, fromSqlite);
}

TEST(AccessBackend, UnchangedFileIsReadOnceAndAChangedOneAgain) {
    DbFixture folder;
    const std::string path = folder.path("network.mdb");
    Network(20).writeAccess(path);
    std::string first, again, changed, error;
    ASSERT_TRUE(AccessMirror::attach(path, first, error)) << error;
    ASSERT_TRUE(AccessMirror::attach(path, again, error)) << error;
    EXPECT_EQ(again, first);

    Network(30).writeAccess(path); // the survey team saves a new version under the same name
    ASSERT_TRUE(AccessMirror::attach(path, changed, error)) << error;
    EXPECT_NE(changed, first);
    EXPECT_EQ(rowsOf(path, "SELECT * FROM TQMB_YSPoint").size(), 1u + 31);
}

TEST(AccessBackend, DamagedFilesFailWithTheDialogWords) {
    DbFixture folder;
    const std::string good = folder.path("good.mdb");
    Network(400).writeAccess(good);
    std::ifstream in(gbkToUtf8(good), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 8u * 4096);

    // Cut short anywhere, even at a page boundary where no page is torn: rows would be lost.
    for (size_t cut : {size_t(0), size_t(10), size_t(4096), size_t(3 * 4096), bytes.size() / 2,
                       bytes.size() - 4096, bytes.size() - 1}) {
        folder.write("cut.mdb", bytes.substr(0, cut));
        expectOpenFails(folder.path("cut.mdb"));
    }
    std::mt19937 random(7);
    std::string noise(bytes.size(), '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    folder.write("noise.mdb", noise);
    expectOpenFails(folder.path("noise.mdb"));
    folder.write("noise-after-header.accdb", bytes.substr(0, 4096) + noise.substr(4096));
    expectOpenFails(folder.path("noise-after-header.accdb"));
    expectOpenFails(folder.path("missing.mdb"));
    ASSERT_TRUE(QDir().mkpath(gbkToQString(folder.path("folder.mdb"))));
    expectOpenFails(folder.path("folder.mdb"));

    EXPECT_TRUE(DBConnection(good).open());
}

TEST(AccessBackend, LoadersOnSeveralThreadsTakeTurnsOnTheDefaultConnection) {
    DbFixture folder;
    const std::string access = folder.path("network.mdb"), sqlite = folder.path("network.sqlite");
    Network(100).writeAccess(access);
    Network(60).writeSqlite(sqlite);

    // Each loader must count the rows of its own file, not of the one another thread
    // registered as the default connection meanwhile.
    std::vector<std::thread> pagers;
    std::vector<int> counted(4, 0);
    for (int t = 0; t < 4; ++t)
        pagers.emplace_back([&, t] {
            for (int i = 0; i < 30; ++i) {
                const bool fromAccess = (i + t) % 2;
                DBConnection connection(fromAccess ? access : sqlite);
                if (!connection.open())
                    continue;
                QSqlQuery query;
                if (query.exec(QStringLiteral("SELECT count(*) FROM TQMB_YSPoint")) && query.next() &&
                    query.value(0).toInt() == (fromAccess ? 101 : 61))
                    ++counted[t];
            }
        });
    for (auto& pager : pagers)
        pager.join();
    EXPECT_EQ(counted, std::vector<int>(4, 30));
}
