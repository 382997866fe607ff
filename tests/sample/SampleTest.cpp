#include "database/DBConnection.h"
#include "geo/SpatialReference.h"
#include "geo/XmlDocument.h"
#include "sample/SampleFiles.h"
#include "sample/SampleNetwork.h"
#include "text/GbkText.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

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
// clang-format off
const std::map<std::string, std::vector<const char*>> kCategories = {
    {"PS", {"四通", "检修井", "三通", "雨篦"}}, {"SY", {"阀门", "三通", "弯头"}}, {"RS", {"检修井", "三通", "弯头"}},
    {"WS", {"污水检修井", "污篦", "检修井", "三通", "弯头"}}, {"YD", {"检修井", "人孔", "手孔"}},
    {"LD", {"路灯", "检修井", "上杆"}}, {"GD", {"检修井", "控制柜", "上杆"}}, {"QG", {"三通", "弯头"}},
    {"JY", {"检修井", "接线箱", "人孔", "上杆", "手孔"}}, {"DX", {"检修井", "接线箱", "人孔", "上杆", "手孔"}},
    {"DS", {"检修井", "接线箱", "人孔", "上杆", "手孔"}}, {"TR", {"阀门井", "三通", "调压箱", "弯头"}},
    {"JS", {"阀门井", "阀门", "检修井", "排污阀", "水表", "消防栓", "四通", "三通", "弯头"}},
    {"YG", {"三通", "弯头"}}, {"YS", {"三通", "弯头", "雨篦", "雨水井"}}};
// clang-format on

QString q(const char* gbk) {
    return gbkToQString(gbk);
}

fs::path freshFolder(const std::string& name) {
    const fs::path folder = fs::temp_directory_path() / (name + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// On the connection the loaders' DBConnection opens.
QSqlQuery query(const QString& sql) {
    QSqlQuery query;
    EXPECT_TRUE(query.exec(sql)) << sql.toStdString();
    return query;
}

struct Point {
    double x, y, depth;
    QString nature, facility;
};
std::map<QString, Point> points(const std::string& kind) {
    std::map<QString, Point> out;
    QSqlQuery p = query(QString("SELECT * FROM TQMB_%1Point").arg(kind.c_str()));
    while (p.next())
        out[p.value(q("物探点号")).toString()] = {
            p.value(q("X坐标")).toDouble(), p.value(q("Y坐标")).toDouble(), p.value(q("深度")).toDouble(),
            p.value(q("测点性质")).toString(), p.value(q("附属设施")).toString()};
    return out;
}

} // namespace

TEST(SampleNetwork, TheSameSeedGivesTheSameRowsAndAnotherSeedOtherOnes) {
    const fs::path folder = freshFolder("pn_sample_seed_");
    auto rows = [&](std::uint32_t seed, const char* name) {
        samplefiles::writeSqlite(SampleNetwork::generate({seed, 1500}), (folder / name).string());
        return slurp(folder / name);
    };
    const std::string seven = rows(7, "a.sqlite");
    EXPECT_EQ(seven, rows(7, "b.sqlite"));
    EXPECT_NE(seven, rows(8, "c.sqlite"));
}

TEST(SampleNetwork, GrowsToTheRequestedNumberOfSegments) {
    for (size_t wanted : {100u, 5000u, 40000u}) {
        const size_t made = SampleNetwork::generate({1, wanted}).segmentCount();
        // The smallest district still holds every kind's junctions; above it, no more than
        // one ring of streets too many.
        EXPECT_TRUE(made >= wanted && made <= std::max<size_t>(wanted * 13 / 10, 3500))
            << wanted << ": " << made;
    }
    // A district of a given width: about as many segments, spread over it.
    for (double width : {100.0, 20000.0}) {
        const SampleNetwork net = SampleNetwork::generate({1, 600, width});
        EXPECT_GE(net.segmentCount(), 600u);
        EXPECT_LE(net.segmentCount(), 3500u);
        for (double across : {net.xmax - net.xmin, net.ymax - net.ymin})
            EXPECT_TRUE(across > width && across < 1.5 * width) << width << ": " << across;
    }
}

// Every kind: its columns and point categories, points inside the extent at plausible
// depths (equipment on the street), and lines of plausible size, depth and length that
// run between points of their own kind (the loaders' inner join would silently drop any
// other), downhill for drainage; fittings meet as many lines as their shape has arms, and
// an elbow turns.
TEST(SampleDatabase, EveryKindHoldsPlausibleLinesBetweenItsOwnPointsOfEveryCategory) {
    const SampleNetwork network = SampleNetwork::generate({42, 2500});
    const std::string path = (freshFolder("pn_sample_") / "network.sqlite").string();
    ASSERT_EQ(samplefiles::writeSqlite(network, path), "");
    DBConnection connection(path);
    ASSERT_TRUE(connection.open());
    const QRegularExpression section("^([0-9]+)(X([0-9]+))?$");
    const std::set<QString> surface = {q("消防栓"), q("路灯"),   q("上杆"),
                                       q("接线箱"), q("控制柜"), q("调压箱")};
    const std::map<QString, size_t> arms = {{q("三通"), 3}, {q("四通"), 4}, {q("弯头"), 2}};
    ASSERT_EQ(network.kinds.size(), 15u);
    for (const auto& [kind, names] : kCategories) {
        SCOPED_TRACE(kind);
        const QSqlRecord pointColumns =
            QSqlDatabase::database().record(QString("TQMB_%1Point").arg(kind.c_str()));
        const QSqlRecord lineColumns =
            QSqlDatabase::database().record(QString("TQMB_%1Line").arg(kind.c_str()));
        for (const char* c :
             {"GID", "物探点号", "X坐标", "Y坐标", "地面高程", "深度", "测点性质", "附属设施"})
            EXPECT_GE(pointColumns.indexOf(q(c)), 0) << gbkToUtf8(c);
        for (const char* c : {"GID", "材质", "起点物探号", "终点物探号", "起点埋深", "终点埋深", "断面尺寸"})
            EXPECT_GE(lineColumns.indexOf(q(c)), 0) << gbkToUtf8(c);

        const std::map<QString, Point> pts = points(kind);
        QSqlQuery rows = query(QString("SELECT count(*) FROM TQMB_%1Point").arg(kind.c_str()));
        ASSERT_TRUE(rows.next());
        EXPECT_EQ(rows.value(0).toUInt(), pts.size()) << "survey point numbers are unique";
        std::set<QString> present;
        for (const auto& [number, p] : pts) {
            present.insert({p.nature, p.facility});
            EXPECT_TRUE(p.x > network.xmin && p.x < network.xmax && p.y > network.ymin && p.y < network.ymax);
            EXPECT_TRUE(surface.count(p.facility) ? p.depth == 0.0 : p.depth >= 0.5 && p.depth <= 5.0)
                << p.depth;
        }
        for (const char* name : names)
            EXPECT_TRUE(present.count(q(name))) << gbkToUtf8(name);

        const bool drainage = kind == "PS" || kind == "YS" || kind == "WS";
        QSqlQuery l = query(QString("SELECT * FROM TQMB_%1Line").arg(kind.c_str()));
        std::map<QString, std::vector<QString>> neighbours;
        while (l.next()) {
            const QRegularExpressionMatch m = section.match(l.value(q("断面尺寸")).toString());
            ASSERT_TRUE(m.hasMatch()) << l.value(q("断面尺寸")).toString().toStdString();
            for (int g : {1, 3})
                EXPECT_TRUE(m.captured(g).isEmpty() ||
                            (m.captured(g).toInt() >= 50 && m.captured(g).toInt() <= 2500));
            const double from = l.value(q("起点埋深")).toDouble(), to = l.value(q("终点埋深")).toDouble();
            EXPECT_TRUE(from >= 0.5 && from <= 5.0 && to >= 0.5 && to <= 5.0 && (!drainage || from <= to));
            auto s = pts.find(l.value(q("起点物探号")).toString()),
                 e = pts.find(l.value(q("终点物探号")).toString());
            ASSERT_TRUE(s != pts.end() && e != pts.end());
            neighbours[s->first].push_back(e->first);
            neighbours[e->first].push_back(s->first);
            const double length = std::hypot(e->second.x - s->second.x, e->second.y - s->second.y);
            EXPECT_TRUE(length > 1.0 && length < 80.0) << length;
        }
        EXPECT_FALSE(neighbours.empty());
        for (const auto& [number, p] : pts) {
            auto shape = arms.find(p.nature);
            if (shape == arms.end())
                continue;
            const std::vector<QString>& n = neighbours[number];
            ASSERT_EQ(n.size(), shape->second) << number.toStdString();
            if (n.size() == 2) {
                const Point &a = pts.at(n[0]), &b = pts.at(n[1]);
                const double ax = a.x - p.x, ay = a.y - p.y, bx = b.x - p.x, by = b.y - p.y;
                EXPECT_GT((ax * bx + ay * by) / (std::hypot(ax, ay) * std::hypot(bx, by)), -0.7)
                    << "an elbow on a straight run: " << number.toStdString();
            }
        }
    }
}

// Pointed at the SQLite file, then at the Access file as a survey team's own pipe.xml
// would be; the host application reads the system, extent and base height from the view
// beside the database path, as the host info gives them.
TEST(SampleFiles, TheProgramWritesBothDatabasesAndAPipeXmlAndHostInfoThatDescribeThem) {
    const fs::path out = freshFolder("pn_make_sample_");
    const std::string program = (fs::path(PN_BIN_DIR) / "pn_make_sample").string() + " --out " + out.string();
    const SampleNetwork expected = SampleNetwork::generate({3, 800});
    for (const std::string database : {"sqlite", "mdb"}) {
        const std::string run = program + " --segments 800 --seed 3 --database " + database + " >/dev/null";
        ASSERT_EQ(std::system(run.c_str()), 0);
        osg::ref_ptr<osgEarth::XmlDocument> xml = osgEarth::XmlDocument::load((out / "pipe.xml").string());
        ASSERT_TRUE(xml.valid());
        const osgEarth::Config pipeline = xml->getConfig().child("pipeline");
        EXPECT_EQ(pipeline.child("conn").value("str"), (out / ("network." + database)).string());
        const QJsonObject info =
            QJsonDocument::fromJson(QByteArray::fromStdString(slurp(out / "network.json"))).object();
        const osgEarth::SpatialReference* srs =
            osgEarth::SpatialReference::create(info["srs"].toString().toStdString());
        EXPECT_TRUE(srs && srs->isProjected());
        const QStringList extent = info["extent"].toString().split(' ');
        ASSERT_EQ(extent.size(), 4);
        const double bounds[] = {expected.xmin, expected.ymin, expected.xmax, expected.ymax};
        for (int i = 0; i < 4; ++i)
            EXPECT_DOUBLE_EQ(extent[i].toDouble(), bounds[i]);
        EXPECT_DOUBLE_EQ(info["baseZ"].toDouble(), expected.baseZ);
        EXPECT_EQ(pipeline.child("view").value("srs"), info["srs"].toString().toStdString());
        EXPECT_EQ(pipeline.child("view").value("extent"), info["extent"].toString().toStdString());
        EXPECT_EQ(std::atof(pipeline.child("view").value("baseZ").c_str()), expected.baseZ);
    }

    // What the loaders see of one kind through DBConnection, the same from both files:
    // rows, coordinates, NULL facilities, and the segments the double join finds.
    auto summary = [](const fs::path& path, const QString& kind) {
        DBConnection connection(path.string());
        EXPECT_TRUE(connection.open());
        std::vector<double> out;
        for (const char* sql :
             {"SELECT count(*), sum(X坐标), sum(深度), count(附属设施), count(DISTINCT 测点性质) "
              "FROM TQMB_xxPoint",
              "SELECT count(*), sum(起点埋深), count(DISTINCT 断面尺寸) FROM TQMB_xxLine, "
              "TQMB_xxPoint as 管点1, TQMB_xxPoint as 管点2 WHERE TQMB_xxLine.起点物探号 = "
              "管点1.物探点号 AND TQMB_xxLine.终点物探号 = 管点2.物探点号"}) {
            QSqlQuery rows;
            EXPECT_TRUE(rows.exec(gbkToQString(sql).replace("xx", kind)) && rows.next());
            for (int i = 0; i < rows.record().count(); ++i)
                out.push_back(rows.value(i).toDouble());
        }
        connection.close();
        return out;
    };
    for (const SampleKindRows& kind : expected.kinds) {
        SCOPED_TRACE(kind.code);
        const std::vector<double> fromAccess = summary(out / "network.mdb", kind.code.c_str());
        const std::vector<double> fromSqlite = summary(out / "network.sqlite", kind.code.c_str());
        ASSERT_TRUE(fromAccess.size() == 8u && fromSqlite.size() == 8u);
        EXPECT_EQ(fromAccess[0], static_cast<double>(kind.points.size()));
        EXPECT_EQ(fromAccess[5], static_cast<double>(kind.lines.size()));
        for (size_t i = 0; i < fromAccess.size(); ++i)
            EXPECT_NEAR(fromAccess[i], fromSqlite[i], 1e-6 * std::max(1.0, std::fabs(fromSqlite[i]))) << i;
    }

    // Options it cannot read: usage, nothing written.
    fs::remove_all(out);
    for (const char* args :
         {" --segments -5", " --segments", " --seed x", " --database odbc", " --colour red"})
        EXPECT_EQ(WEXITSTATUS(std::system((program + args + " 2>/dev/null").c_str())), 2) << args;
    EXPECT_FALSE(fs::exists(out / "network.sqlite"));
}
