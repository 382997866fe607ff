#include "geo/SpatialReference.h"
#include "geo/XmlDocument.h"
#include "database/DBConnection.h"
#include "text/GbkText.h"
#include "sample/SampleFiles.h"
#include "sample/SampleNetwork.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The point categories of each kind, as the network's classes select them.
const std::map<std::string, std::vector<const char*>>& categories() {
    static const std::map<std::string, std::vector<const char*>> c = {
        {"PS", {"四通", "检修井", "三通", "雨篦"}},
        {"SY", {"阀门", "三通", "弯头"}},
        {"WS", {"污水检修井", "污篦", "检修井", "三通", "弯头"}},
        {"YD", {"检修井", "人孔", "手孔"}},
        {"LD", {"路灯", "检修井", "上杆"}},
        {"RS", {"检修井", "三通", "弯头"}},
        {"JY", {"检修井", "接线箱", "人孔", "上杆", "手孔"}},
        {"GD", {"检修井", "控制柜", "上杆"}},
        {"DX", {"检修井", "接线箱", "人孔", "上杆", "手孔"}},
        {"DS", {"检修井", "接线箱", "人孔", "上杆", "手孔"}},
        {"JS", {"阀门井", "阀门", "检修井", "排污阀", "水表", "消防栓", "四通", "三通", "弯头"}},
        {"QG", {"三通", "弯头"}},
        {"TR", {"阀门井", "三通", "调压箱", "弯头"}},
        {"YG", {"三通", "弯头"}},
        {"YS", {"三通", "弯头", "雨篦", "雨水井"}},
    };
    return c;
}

const char* const kFittingKinds[] = {"PS", "YS", "WS", "SY", "JS", "RS", "TR", "YG", "QG"};

QString q(const char* gbk) {
    return gbkToQString(gbk);
}

// One sample database written into a fresh temporary folder, opened through Qt's SQLite
// driver as the network's loaders open it.
class SampleDatabase : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = fs::temp_directory_path() / ("pn_sample_" + std::to_string(::getpid()));
        fs::create_directories(folder);
        network = new SampleNetwork(SampleNetwork::generate(SampleOptions{42, 2500}));
        path = (folder / "network.sqlite").string();
        ASSERT_EQ(samplefiles::writeSqlite(*network, path), "");
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "sample");
        db.setDatabaseName(QString::fromStdString(path));
        ASSERT_TRUE(db.open());
    }
    static void TearDownTestSuite() {
        QSqlDatabase::database("sample").close();
        QSqlDatabase::removeDatabase("sample");
        delete network;
        fs::remove_all(folder);
    }

    static QSqlQuery query(const QString& sql) {
        QSqlQuery query(QSqlDatabase::database("sample"));
        EXPECT_TRUE(query.exec(sql)) << sql.toStdString();
        return query;
    }

    struct Point {
        double x, y, depth;
        QString nature, facility;
    };
    static std::map<QString, Point> points(const std::string& kind) {
        std::map<QString, Point> out;
        QSqlQuery p = query(QString("SELECT * FROM TQMB_%1Point").arg(kind.c_str()));
        while (p.next())
            out[p.value(q("物探点号")).toString()] = {
                p.value(q("X坐标")).toDouble(), p.value(q("Y坐标")).toDouble(), p.value(q("深度")).toDouble(),
                p.value(q("测点性质")).toString(), p.value(q("附属设施")).toString()};
        return out;
    }

    static fs::path folder;
    static std::string path;
    static SampleNetwork* network;
};
fs::path SampleDatabase::folder;
std::string SampleDatabase::path;
SampleNetwork* SampleDatabase::network = nullptr;

bool sameRows(const SampleNetwork& a, const SampleNetwork& b) {
    if (a.kinds.size() != b.kinds.size() || a.xmin != b.xmin || a.ymax != b.ymax)
        return false;
    for (size_t k = 0; k < a.kinds.size(); ++k) {
        const SampleKindRows &ka = a.kinds[k], &kb = b.kinds[k];
        if (ka.code != kb.code || ka.points.size() != kb.points.size() || ka.lines.size() != kb.lines.size())
            return false;
        for (size_t i = 0; i < ka.points.size(); ++i) {
            const SamplePointRow &p = ka.points[i], &r = kb.points[i];
            if (p.gid != r.gid || p.number != r.number || p.x != r.x || p.y != r.y || p.ground != r.ground ||
                p.depth != r.depth || p.nature != r.nature || p.facility != r.facility)
                return false;
        }
        for (size_t i = 0; i < ka.lines.size(); ++i) {
            const SampleLineRow &l = ka.lines[i], &r = kb.lines[i];
            if (l.gid != r.gid || l.material != r.material || l.start != r.start || l.end != r.end ||
                l.startDepth != r.startDepth || l.endDepth != r.endDepth || l.section != r.section)
                return false;
        }
    }
    return true;
}

} // namespace

TEST(SampleNetwork, TheSameSeedGivesTheSameRowsAndAnotherSeedOtherOnes) {
    const SampleNetwork a = SampleNetwork::generate({7, 1500});
    EXPECT_TRUE(sameRows(a, SampleNetwork::generate({7, 1500})));
    EXPECT_FALSE(sameRows(a, SampleNetwork::generate({8, 1500})));
}

TEST(SampleNetwork, GrowsToTheRequestedNumberOfSegments) {
    for (size_t wanted : {100u, 5000u, 40000u}) {
        const SampleNetwork n = SampleNetwork::generate({1, wanted});
        EXPECT_GE(n.segmentCount(), wanted);
        // The smallest district still holds every kind's junctions; above it, no more than
        // one ring of streets too many.
        EXPECT_LE(n.segmentCount(), std::max<size_t>(wanted * 13 / 10, 3500));
    }
}

TEST_F(SampleDatabase, HasTheTablesAndColumnsOfEveryKindAndEveryCategory) {
    ASSERT_EQ(network->kinds.size(), 15u);
    for (const auto& [kind, names] : categories()) {
        SCOPED_TRACE(kind);
        QSqlRecord pointColumns =
            QSqlDatabase::database("sample").record(QString("TQMB_%1Point").arg(kind.c_str()));
        QSqlRecord lineColumns =
            QSqlDatabase::database("sample").record(QString("TQMB_%1Line").arg(kind.c_str()));
        for (const char* c :
             {"GID", "物探点号", "X坐标", "Y坐标", "地面高程", "深度", "测点性质", "附属设施"})
            EXPECT_GE(pointColumns.indexOf(q(c)), 0) << gbkToUtf8(c);
        for (const char* c : {"GID", "材质", "起点物探号", "终点物探号", "起点埋深", "终点埋深", "断面尺寸"})
            EXPECT_GE(lineColumns.indexOf(q(c)), 0) << gbkToUtf8(c);

        std::set<QString> present;
        for (const auto& [number, p] : points(kind)) {
            present.insert(p.nature);
            present.insert(p.facility);
        }
        for (const char* name : names)
            EXPECT_TRUE(present.count(q(name))) << gbkToUtf8(name);
    }
}

TEST_F(SampleDatabase, EveryLineRunsBetweenSurveyedPointsOfItsOwnKind) {
    for (const auto& [kind, names] : categories()) {
        SCOPED_TRACE(kind);
        const QString k = kind.c_str();
        QSqlQuery unique =
            query(QString("SELECT count(*), count(DISTINCT %1) FROM TQMB_%2Point").arg(q("物探点号"), k));
        ASSERT_TRUE(unique.next());
        EXPECT_EQ(unique.value(0).toInt(), unique.value(1).toInt());

        // The loaders' inner join: a line whose end has no point would silently vanish.
        QSqlQuery lines = query(QString("SELECT count(*) FROM TQMB_%1Line").arg(k));
        ASSERT_TRUE(lines.next());
        QSqlQuery joined =
            query(gbkToQString("SELECT count(*) FROM TQMB_xxLine, TQMB_xxPoint as 管点1, TQMB_xxPoint as "
                               "管点2 WHERE TQMB_xxLine.起点物探号 = 管点1.物探点号 AND "
                               "TQMB_xxLine.终点物探号 = 管点2.物探点号")
                      .replace("xx", k));
        ASSERT_TRUE(joined.next());
        EXPECT_GT(lines.value(0).toInt(), 0);
        EXPECT_EQ(joined.value(0).toInt(), lines.value(0).toInt());
    }
}

TEST_F(SampleDatabase, FittingsMeetAsManySegmentsAsTheirShapeHasAndElbowsTurn) {
    const std::map<QString, int> arms = {{q("三通"), 3}, {q("四通"), 4}, {q("弯头"), 2}};
    for (const char* kind : kFittingKinds) {
        SCOPED_TRACE(kind);
        const std::map<QString, Point> pts = points(kind);
        std::map<QString, std::vector<QString>> neighbours;
        QSqlQuery l = query(QString("SELECT * FROM TQMB_%1Line").arg(kind));
        while (l.next()) {
            const QString s = l.value(q("起点物探号")).toString(), e = l.value(q("终点物探号")).toString();
            neighbours[s].push_back(e);
            neighbours[e].push_back(s);
        }
        int fittings = 0;
        for (const auto& [number, p] : pts) {
            auto shape = arms.find(p.nature);
            if (shape == arms.end())
                continue;
            ++fittings;
            const std::vector<QString>& n = neighbours[number];
            ASSERT_EQ(static_cast<int>(n.size()), shape->second) << number.toStdString();
            if (shape->second == 2) {
                const Point &a = pts.at(n[0]), &b = pts.at(n[1]);
                const double ax = a.x - p.x, ay = a.y - p.y, bx = b.x - p.x, by = b.y - p.y;
                const double cosine = (ax * bx + ay * by) / (std::hypot(ax, ay) * std::hypot(bx, by));
                EXPECT_GT(cosine, -0.7) << "an elbow on a straight run: " << number.toStdString();
            }
        }
        EXPECT_GT(fittings, 0);
    }
}

TEST_F(SampleDatabase, PipesLieAtPlausibleDepthsSizesAndLengthsInsideTheExtent) {
    const QRegularExpression section("^([0-9]+)(X([0-9]+))?$");
    const std::set<QString> surface = {q("消防栓"), q("路灯"),   q("上杆"),
                                       q("接线箱"), q("控制柜"), q("调压箱")};
    for (const auto& [kind, names] : categories()) {
        SCOPED_TRACE(kind);
        const std::map<QString, Point> pts = points(kind.c_str());
        for (const auto& [number, p] : pts) {
            EXPECT_TRUE(p.x > network->xmin && p.x < network->xmax && p.y > network->ymin &&
                        p.y < network->ymax);
            if (surface.count(p.facility))
                EXPECT_EQ(p.depth, 0.0) << "equipment stands on the street";
            else
                EXPECT_TRUE(p.depth >= 0.5 && p.depth <= 5.0) << p.depth;
        }
        QSqlQuery l = query(QString("SELECT * FROM TQMB_%1Line").arg(kind.c_str()));
        while (l.next()) {
            const QRegularExpressionMatch m = section.match(l.value(q("断面尺寸")).toString());
            ASSERT_TRUE(m.hasMatch()) << l.value(q("断面尺寸")).toString().toStdString();
            for (int g : {1, 3}) {
                const int mm = m.captured(g).isEmpty() ? 100 : m.captured(g).toInt();
                EXPECT_TRUE(mm >= 50 && mm <= 2500) << mm;
            }
            for (const char* depth : {"起点埋深", "终点埋深"})
                EXPECT_TRUE(l.value(q(depth)).toDouble() >= 0.5 && l.value(q(depth)).toDouble() <= 5.0);
            const Point &s = pts.at(l.value(q("起点物探号")).toString()),
                        &e = pts.at(l.value(q("终点物探号")).toString());
            const double length = std::hypot(e.x - s.x, e.y - s.y);
            EXPECT_TRUE(length > 1.0 && length < 80.0) << length;
        }
    }
}

TEST_F(SampleDatabase, DrainageIsSurveyedDownhill) {
    for (const char* kind : {"PS", "YS", "WS"}) {
        QSqlQuery l = query(QString("SELECT count(*) FROM TQMB_%1Line WHERE %2 > %3")
                                .arg(kind, q("起点埋深"), q("终点埋深")));
        ASSERT_TRUE(l.next());
        EXPECT_EQ(l.value(0).toInt(), 0) << kind;
    }
}

TEST(SampleFiles, TheProgramWritesAPipeXmlAndHostInfoThatDescribeItsDatabase) {
    const fs::path out = fs::temp_directory_path() / ("pn_make_sample_" + std::to_string(::getpid()));
    fs::remove_all(out);
    const std::string program = (fs::path(PN_BIN_DIR) / "pn_make_sample").string();
    ASSERT_EQ(
        std::system((program + " --out " + out.string() + " --segments 800 --seed 3 >/dev/null").c_str()), 0);

    osg::ref_ptr<osgEarth::XmlDocument> xml = osgEarth::XmlDocument::load((out / "pipe.xml").string());
    ASSERT_TRUE(xml.valid());
    EXPECT_EQ(xml->getConfig().child("pipeline").child("conn").value("str"),
              (out / "network.sqlite").string());
    const osgEarth::Config view = xml->getConfig().child("pipeline").child("view");
    EXPECT_TRUE(fs::file_size(out / "network.sqlite") > 0);

    std::ifstream in(out / "network.json");
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    const QJsonObject info = QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
    const osgEarth::SpatialReference* srs =
        osgEarth::SpatialReference::create(info["srs"].toString().toStdString());
    ASSERT_NE(srs, nullptr);
    EXPECT_TRUE(srs->isProjected());
    const SampleNetwork expected = SampleNetwork::generate({3, 800});
    const QStringList extent = info["extent"].toString().split(' ');
    ASSERT_EQ(extent.size(), 4);
    EXPECT_DOUBLE_EQ(extent[0].toDouble(), expected.xmin);
    EXPECT_DOUBLE_EQ(extent[1].toDouble(), expected.ymin);
    EXPECT_DOUBLE_EQ(extent[2].toDouble(), expected.xmax);
    EXPECT_DOUBLE_EQ(extent[3].toDouble(), expected.ymax);
    EXPECT_DOUBLE_EQ(info["baseZ"].toDouble(), expected.baseZ);
    // The host application reads the same from the view beside the database path.
    EXPECT_EQ(view.value("srs"), info["srs"].toString().toStdString());
    EXPECT_EQ(view.value("extent"), info["extent"].toString().toStdString());
    EXPECT_EQ(std::atof(view.value("baseZ").c_str()), expected.baseZ);

    // Pointed at the Access file instead, as a survey team's own pipe.xml would be.
    ASSERT_EQ(std::system(
                  (program + " --out " + out.string() + " --segments 800 --database mdb >/dev/null").c_str()),
              0);
    xml = osgEarth::XmlDocument::load((out / "pipe.xml").string());
    ASSERT_TRUE(xml.valid());
    EXPECT_EQ(xml->getConfig().child("pipeline").child("conn").value("str"), (out / "network.mdb").string());
    EXPECT_TRUE(fs::file_size(out / "network.mdb") > 0);
    fs::remove_all(out);

    // Options it cannot read: usage, nothing written.
    for (const char* args :
         {" --segments -5", " --segments", " --seed x", " --database odbc", " --colour red"})
        EXPECT_EQ(
            WEXITSTATUS(std::system((program + args + " --out " + out.string() + " 2>/dev/null").c_str())),
            2);
    EXPECT_FALSE(fs::exists(out / "network.sqlite"));
}

TEST(SampleFiles, TheAccessFileHoldsTheSameRowsAsTheSqliteFileForTheLoaders) {
    const fs::path folder = fs::temp_directory_path() / ("pn_sample_mdb_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const SampleNetwork network = SampleNetwork::generate({5, 1200});
    const std::string sqlite = (folder / "n.sqlite").string(), mdb = (folder / "n.mdb").string();
    ASSERT_EQ(samplefiles::writeSqlite(network, sqlite), "");
    ASSERT_EQ(samplefiles::writeMdb(network, mdb), "");

    // What the loaders see of one kind through DBConnection: rows, coordinates, NULL
    // facilities, and the segments the double join finds.
    auto summary = [](const std::string& path, const QString& kind) {
        DBConnection connection(path);
        EXPECT_TRUE(connection.open());
        QSqlQuery points;
        EXPECT_TRUE(points.exec(gbkToQString("SELECT count(*), sum(X坐标), sum(深度), count(附属设施), "
                                             "count(DISTINCT 测点性质) FROM TQMB_xxPoint")
                                    .replace("xx", kind)));
        EXPECT_TRUE(points.next());
        QSqlQuery lines;
        EXPECT_TRUE(lines.exec(
            gbkToQString("SELECT count(*), sum(起点埋深), count(DISTINCT 断面尺寸) FROM TQMB_xxLine, "
                         "TQMB_xxPoint as 管点1, TQMB_xxPoint as 管点2 WHERE TQMB_xxLine.起点物探号 = "
                         "管点1.物探点号 AND TQMB_xxLine.终点物探号 = 管点2.物探点号")
                .replace("xx", kind)));
        EXPECT_TRUE(lines.next());
        std::vector<double> out;
        for (int i = 0; i < 5; ++i)
            out.push_back(points.value(i).toDouble());
        for (int i = 0; i < 3; ++i)
            out.push_back(lines.value(i).toDouble());
        connection.close();
        return out;
    };
    for (const SampleKindRows& kind : network.kinds) {
        SCOPED_TRACE(kind.code);
        const std::vector<double> fromAccess = summary(mdb, kind.code.c_str());
        const std::vector<double> fromSqlite = summary(sqlite, kind.code.c_str());
        ASSERT_EQ(fromAccess.size(), fromSqlite.size());
        EXPECT_EQ(fromAccess[0], static_cast<double>(kind.points.size()));
        EXPECT_EQ(fromAccess[5], static_cast<double>(kind.lines.size()));
        for (size_t i = 0; i < fromAccess.size(); ++i)
            EXPECT_NEAR(fromAccess[i], fromSqlite[i], 1e-6 * std::max(1.0, std::fabs(fromSqlite[i]))) << i;
    }
    fs::remove_all(folder);
}
