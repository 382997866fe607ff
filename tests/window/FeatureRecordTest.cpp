// The features behind picked nodes and typed numbers, read from the sample network as a
// SQLite file and as an Access file.
#include "tests/window/QtApp.h"

#include "app/FeatureRecord.h"
#include "app/window/IdentifyPanel.h"
#include "network/CPPipeLine.h"
#include "network/CPPoint.h"
#include "text/GbkText.h"

#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <osg/Geode>
#include <osg/LOD>
#include <osg/MatrixTransform>

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <unistd.h>

namespace {

const std::string sampleDir = std::string(PN_BIN_DIR) + "/../sample/";

// The sample's own rows, read past the program: what a feature's row must show.
std::map<std::string, QVariant> sampleRow(const std::string& table, const std::string& value,
                                          const std::string& column = "GID") {
    std::map<std::string, QVariant> row;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("expected"));
        db.setDatabaseName(QString::fromStdString(sampleDir + "network.sqlite"));
        EXPECT_TRUE(db.open());
        QSqlQuery query(db);
        EXPECT_TRUE(
            query.exec(gbkToQString("SELECT * FROM " + table + " WHERE " + column + " = '" + value + "'")));
        EXPECT_TRUE(query.next());
        for (int i = 0; i < query.record().count(); ++i)
            row[qstringToGbk(query.record().fieldName(i))] = query.value(i);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("expected"));
    return row;
}

// The working directory the plug-in would have: pipe.xml naming one of the sample's files.
class SampleFeatures : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        qtApp();
        g_playerManager->setTerrain(std::make_shared<FlatTerrain>(21.5));
        previous = QDir::currentPath();
        std::ofstream(QDir(dir.path()).filePath("pipe.xml").toStdString())
            << "<pipeline><conn str=\"" << sampleDir << GetParam() << "\"/></pipeline>\n";
        ASSERT_TRUE(QDir::setCurrent(dir.path()));
    }
    void TearDown() override {
        QDir::setCurrent(previous);
        g_playerManager->setTerrain(nullptr);
    }

    QTemporaryDir dir;
    QString previous;
};

TEST_P(SampleFeatures, FindsPointsBySurveyNumberOrGidAndPipesByGid) {
    std::vector<Found> found;
    std::string error;
    ASSERT_TRUE(FeatureRecord::find("  JS1 ", found, error)) << error;
    ASSERT_EQ(found.size(), 1u);
    const Found& point = found[0];
    EXPECT_EQ(point.feature.type, Feature::Type::Point);
    EXPECT_EQ(point.feature.table, "TQMB_JSPoint");
    EXPECT_EQ(point.feature.gid, "JSP1");
    EXPECT_EQ(point.highlightNames, std::vector<std::string>{"JSP1"});
    auto js1 = sampleRow("TQMB_JSPoint", "JSP1");
    ASSERT_TRUE(point.hasPosition);
    EXPECT_NEAR(point.position.x(), js1["X坐标"].toDouble(), 1e-6);
    EXPECT_NEAR(point.position.y(), js1["Y坐标"].toDouble(), 1e-6);
    EXPECT_NEAR(point.position.z(), 21.5 - js1["深度"].toDouble(), 1e-6);

    found.clear();
    ASSERT_TRUE(FeatureRecord::find("JSP1", found, error));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].feature.surveyNumbers, std::vector<std::string>{"JS1"});

    found.clear();
    ASSERT_TRUE(FeatureRecord::find("JSL1", found, error));
    ASSERT_EQ(found.size(), 1u);
    const Found& pipe = found[0];
    auto line = sampleRow("TQMB_JSLine", "JSL1");
    const std::string end = qstringToGbk(line["终点物探号"].toString());
    EXPECT_EQ(pipe.feature.type, Feature::Type::Pipe);
    EXPECT_EQ(pipe.feature.table, "TQMB_JSLine");
    EXPECT_EQ(pipe.what, "管段 JS1-" + end);
    auto far = sampleRow("TQMB_JSPoint", end, "物探点号");
    ASSERT_TRUE(pipe.hasPosition);
    EXPECT_NEAR(pipe.position.x(), (js1["X坐标"].toDouble() + far["X坐标"].toDouble()) / 2, 1e-6);
    EXPECT_NEAR(pipe.position.z(), 21.5 - (line["起点埋深"].toDouble() + line["终点埋深"].toDouble()) / 2,
                1e-6);

    found.clear();
    EXPECT_TRUE(FeatureRecord::find("JS1' OR '1'='1", found, error));
    EXPECT_TRUE(found.empty());
    EXPECT_FALSE(FeatureRecord::find(" \t", found, error));
    EXPECT_FALSE(error.empty());
}

TEST_P(SampleFeatures, ReadsEveryColumnOfAPickedRow) {
    osg::ref_ptr<osg::Group> root = new osg::Group;
    osg::ref_ptr<osg::LOD> lod = new osg::LOD;
    CPPipeLine segment;
    segment.layerName = "给水管线";
    segment.gid = "JSL1";
    segment.startNumber = "JS1";
    segment.endNumber = qstringToGbk(sampleRow("TQMB_JSLine", "JSL1")["终点物探号"].toString());
    lod->setUserData(new CPPipeLine(segment, lod.get()));
    osg::ref_ptr<osg::MatrixTransform> placed = new osg::MatrixTransform;
    osg::ref_ptr<osg::Geode> tube = new osg::Geode;
    Feature feature;
    ASSERT_TRUE(FeatureRecord::fromNodePath({root.get(), lod.get(), placed.get(), tube.get()}, feature));
    EXPECT_EQ(feature.type, Feature::Type::Pipe);
    EXPECT_EQ(feature.table, "TQMB_JSLine");
    EXPECT_EQ(feature.highlightName, "JSL1");
    EXPECT_FALSE(FeatureRecord::fromNodePath({root.get(), placed.get()}, feature));

    Columns columns;
    std::string error;
    ASSERT_TRUE(FeatureRecord::readRow(feature, columns, error)) << error;
    const auto expected = sampleRow("TQMB_JSLine", "JSL1");
    ASSERT_EQ(columns.size(), expected.size());
    for (const auto& [name, value] : columns) {
        ASSERT_EQ(expected.count(name), 1u) << gbkToUtf8(name);
        const QVariant& want = expected.at(name);
        if (want.type() == QVariant::Double)
            EXPECT_DOUBLE_EQ(std::stod(value), want.toDouble()) << gbkToUtf8(name);
        else
            EXPECT_EQ(value, qstringToGbk(want.toString())) << gbkToUtf8(name);
    }

    // A point's record names no kind: its row is found among the point tables.
    CPPoint point;
    point.gid = "JSP1";
    point.surveyNumber = "JS1";
    tube->setUserData(new CPPoint(point));
    ASSERT_TRUE(FeatureRecord::fromNodePath({root.get(), lod.get(), placed.get(), tube.get()}, feature));
    ASSERT_TRUE(FeatureRecord::locate(feature, error)) << error;
    EXPECT_EQ(feature.table, "TQMB_JSPoint");

    IdentifyPanel panel;
    panel.showFeature(feature);
    EXPECT_TRUE(panel.heading().contains(QStringLiteral(u"给水管线"))) << panel.heading().toStdString();
    EXPECT_TRUE(panel.heading().contains(QStringLiteral("JSP1")));
    EXPECT_EQ(panel.table()->rowCount(), static_cast<int>(sampleRow("TQMB_JSPoint", "JSP1").size()));
    EXPECT_EQ(panel.table()->item(1, 0)->text(), QStringLiteral(u"物探点号"));
    EXPECT_TRUE(panel.problem().isEmpty());

    feature.gid = "JSP-none";
    EXPECT_FALSE(FeatureRecord::readRow(feature, columns, error));
    panel.showFeature(feature);
    EXPECT_EQ(panel.table()->rowCount(), 0);
    EXPECT_TRUE(panel.problem().contains(QStringLiteral("JSP-none")));
}

INSTANTIATE_TEST_SUITE_P(Databases, SampleFeatures, ::testing::Values("network.sqlite", "network.mdb"),
                         [](const auto& info) { return std::string(info.index == 0 ? "Sqlite" : "Access"); });

} // namespace
