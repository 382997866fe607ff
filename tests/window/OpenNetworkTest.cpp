#include "app/NetworkFile.h"
#include "app/ViewSettings.h"
#include "app/window/OpenNetworkDialog.h"
#include "database/DatabasePath.h"
#include "geo/GeoExtent.h"
#include "network/UtilityKind.h"
#include "sample/MdbWriter.h"
#include "text/GbkText.h"

#include "QtApp.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {
// The program's one application, its settings in a folder of its own.
struct Application : testing::Environment {
    void SetUp() override { qtApp(); }
};
testing::Environment* const application = testing::AddGlobalTestEnvironment(new Application);

const QString sampleDir = QStringLiteral(PN_BIN_DIR "/../sample/");

// A SQLite file with the statements (GBK) run on it.
void makeSqlite(const QString& path, const std::vector<std::string>& statements) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fixture"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        for (const std::string& statement : statements)
            ASSERT_TRUE(query.exec(gbkToQString(statement))) << query.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fixture"));
}

QString surveyError(const QString& path) {
    NetworkSurvey survey;
    QString error;
    EXPECT_FALSE(NetworkFile::survey(path, survey, error)) << path.toStdString();
    EXPECT_TRUE(survey.kinds.empty());
    return error;
}
} // namespace

// The sample network, in its SQLite and its Access file, surveys the same, and the
// pipe.xml written for it reads back through the host and the plug-in alike.
TEST(OpenNetwork, SampleSurveysTheSameInBothFilesAndItsPipeXmlReadsBack) {
    NetworkSurvey lite, access;
    QString error;
    ASSERT_TRUE(NetworkFile::survey(sampleDir + "network.sqlite", lite, error)) << error.toStdString();
    ASSERT_TRUE(NetworkFile::survey(sampleDir + "network.mdb", access, error)) << error.toStdString();
    ViewSettings sample;
    std::string why;
    ASSERT_TRUE(sample.read((sampleDir + "pipe.xml").toStdString(), why)) << why;
    double box[4];
    ASSERT_TRUE(sample.bounds(box[0], box[1], box[2], box[3]));
    for (const NetworkSurvey* s : {&lite, &access}) {
        EXPECT_EQ(s->kinds.size(), 15u);
        EXPECT_EQ(s->points, 2957);
        EXPECT_EQ(s->segments, 3401);
        EXPECT_EQ(s->leftOut, 0);
        EXPECT_TRUE(s->hasGround);
        EXPECT_NEAR(s->ground, 21.5, 1.25); // the generator's ground undulates by 1.2 m
        EXPECT_GE(s->xmin, box[0]);
        EXPECT_GE(s->ymin, box[1]);
        EXPECT_LE(s->xmax, box[2]);
        EXPECT_LE(s->ymax, box[3]);
        EXPECT_GT(s->xmax - s->xmin, 500);
    }
    EXPECT_EQ(access.xmin, lite.xmin);
    EXPECT_EQ(access.ymax, lite.ymax);
    EXPECT_EQ(access.ground, lite.ground);
    EXPECT_EQ(access.kinds.back().points, lite.kinds.back().points);

    // Written beside a copy of the database; written anew while it is ours; a file of the
    // user's own at that name is kept and the next name taken.
    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral(u"管网.sqlite"));
    ASSERT_TRUE(QFile::copy(sampleDir + "network.sqlite", database));
    QString pipeXml;
    ASSERT_TRUE(NetworkFile::write(database, "EPSG:4547", lite, pipeXml, error)) << error.toStdString();
    EXPECT_EQ(pipeXml, database + ".pipe.xml");
    ASSERT_TRUE(NetworkFile::write(database, "EPSG:4547", lite, pipeXml, error));
    EXPECT_EQ(pipeXml, database + ".pipe.xml");

    ViewSettings view;
    ASSERT_TRUE(view.read(pipeXml.toLocal8Bit().toStdString(), why)) << why;
    EXPECT_EQ(view.srs, "EPSG:4547");
    double x0, y0, x1, y1;
    ASSERT_TRUE(view.bounds(x0, y0, x1, y1)) << view.extent;
    EXPECT_TRUE(osgEarth::checkExtentBounds(x0, y0, x1, y1, why)) << why;
    EXPECT_LT(x0, lite.xmin - 20);
    EXPECT_GT(y1, lite.ymax + 20);
    EXPECT_LT(x1 - x0, (lite.xmax - lite.xmin) * 1.2);
    EXPECT_TRUE(view.hasGround);
    EXPECT_DOUBLE_EQ(view.ground, lite.ground);
    EXPECT_EQ(std::stod(view.baseZ), lite.ground);
    // The plug-in's reading of the same text: the database's absolute path, in GBK.
    std::ifstream in(pipeXml.toLocal8Bit().toStdString(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(databasePathIn(text, why), qstringToGbk(database));

    const std::string own = "<pipeline><conn str=\"elsewhere.mdb\"/></pipeline>\n";
    std::ofstream(pipeXml.toLocal8Bit().toStdString(), std::ios::binary | std::ios::trunc) << own;
    ASSERT_TRUE(NetworkFile::write(database, "EPSG:4547", lite, pipeXml, error));
    EXPECT_EQ(pipeXml, database + ".2.pipe.xml");
    QFile kept(database + ".pipe.xml");
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll().toStdString(), own);

    // A folder that cannot be written sends it to the application's data folder.
    if (geteuid() != 0) {
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        EXPECT_TRUE(NetworkFile::write(database, "EPSG:4547", lite, pipeXml, error)) << error.toStdString();
        EXPECT_TRUE(pipeXml.startsWith(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

// Every file that cannot be shown says why, by name, and nothing crashes or hangs.
TEST(OpenNetwork, FilesThatCannotBeShownSayWhy) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.sqlite"));
    EXPECT_EQ(surveyError(missing), "No such file: \"" + missing + "\"");
    EXPECT_EQ(surveyError(QString()), "No such file: \"\"");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.mdb")));
    EXPECT_TRUE(surveyError(dir.filePath(QStringLiteral("folder.mdb"))).startsWith("Not a regular file: \""));

    const auto write = [&](const char* name, const std::string& bytes) {
        std::ofstream(dir.filePath(QLatin1String(name)).toStdString(), std::ios::binary) << bytes;
        return dir.filePath(QLatin1String(name));
    };
    EXPECT_TRUE(surveyError(write("notes.txt", "x")).startsWith("Not a database this program reads: "));
    const QString text = write("notes.sqlite", std::string(3000, 'a'));
    EXPECT_EQ(surveyError(text),
              "\"" + text + "\" cannot be read as a SQLite database: file is not a database");
    std::string noise(8192, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>(i * 2654435761u >> 13);
    EXPECT_FALSE(surveyError(write("noise.mdb", noise)).isEmpty());
    const QString empty = write("empty.sqlite", "");
    EXPECT_TRUE(surveyError(empty).startsWith("No pipe tables in \"" + empty + "\""));

    const QString bare = dir.filePath(QStringLiteral("bare.db"));
    makeSqlite(bare, {"CREATE TABLE TQMB_JSPoint (GID TEXT, x坐标 REAL, Y坐标 REAL)",
                      "INSERT INTO TQMB_JSPoint VALUES ('1', 1, 2)", "CREATE TABLE tqmb_jsline (GID TEXT)"});
    EXPECT_EQ(surveyError(bare),
              QStringLiteral(u"The point tables of \"%1\" have no coordinates (the columns X坐标 and Y坐标): "
                             u"TQMB_JSPoint")
                  .arg(bare));

    // The table's definition names a row of the usage maps' page that is not there: the
    // reader stops on it.
    const QString damaged = dir.filePath(QStringLiteral("damaged.mdb"));
    MdbWriter writer;
    ASSERT_EQ(
        writer.addTable("TQMB_YSPoint", {{"GID", MdbWriter::Type::Text}, {"X坐标", MdbWriter::Type::Double}}),
        0);
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(writer.addRow(0, {std::to_string(i), 500000.0 + i}));
    ASSERT_TRUE(writer.save(damaged.toStdString())) << writer.error();
    std::fstream(damaged.toStdString(), std::ios::binary | std::ios::in | std::ios::out)
        .seekp(4 * 4096 + 55)
        .put(7);
    EXPECT_EQ(surveyError(damaged), "Unreadable definition of table TQMB_YSPoint in \"" + damaged + "\"");
}

// A network of one point, or of points in degrees, still pages over an extent of its own.
TEST(OpenNetwork, OnePointGivesAUsableExtent) {
    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("one.sqlite"));
    makeSqlite(database, {"CREATE TABLE TQMB_GDPoint (GID TEXT, X坐标 REAL, Y坐标 REAL)",
                          "INSERT INTO TQMB_GDPoint VALUES ('1', 530000.25, 3384000.75)",
                          "INSERT INTO TQMB_GDPoint VALUES ('2', NULL, 3384000.75)",
                          "INSERT INTO TQMB_GDPoint VALUES ('3', '', 'x')"});
    NetworkSurvey survey;
    QString error;
    ASSERT_TRUE(NetworkFile::survey(database, survey, error)) << error.toStdString();
    ASSERT_EQ(survey.kinds.size(), 1u);
    EXPECT_EQ(UtilityKinds[survey.kinds[0].kind].code, std::string("GD"));
    EXPECT_EQ(survey.points, 1);
    EXPECT_EQ(survey.leftOut, 2);
    EXPECT_FALSE(survey.hasGround);
    EXPECT_EQ(survey.xmin, survey.xmax);

    for (const char* srs : {"EPSG:4547", "EPSG:4490"}) {
        ViewSettings view;
        std::string why;
        ASSERT_TRUE(view.parse(NetworkFile::pipeXmlText(database, srs, survey), "pipe.xml", why)) << why;
        double x0, y0, x1, y1;
        ASSERT_TRUE(view.bounds(x0, y0, x1, y1)) << srs << " " << view.extent;
        EXPECT_TRUE(osgEarth::checkExtentBounds(x0, y0, x1, y1, why)) << why;
        EXPECT_TRUE(x0 < survey.xmin && survey.xmax < x1 && y0 < survey.ymin && survey.ymax < y1)
            << view.extent;
        EXPECT_EQ(view.baseZ, "0");
        EXPECT_FALSE(view.hasGround);
    }
    double x0, y0, x1, y1;
    NetworkFile::paddedExtent(survey, false, x0, y0, x1, y1);
    EXPECT_EQ(x1 - x0, 51);
    NetworkFile::paddedExtent(survey, true, x0, y0, x1, y1);
    EXPECT_NEAR(x1 - x0, 2e-4, 1.1e-5);
}

// The dialog offers the systems used last, most recent first, eight at most, and takes
// only one GDAL reads.
TEST(OpenNetworkDialog, OffersRecentSystemsAndRefusesUnknownOnes) {
    QSettings().remove(QStringLiteral("open/recentSrs"));
    NetworkSurvey survey;
    survey.points = 1;
    OpenNetworkDialog dialog(QStringLiteral("/data/network.mdb"), survey);
    auto* systems = dialog.findChild<QComboBox*>(QStringLiteral("srsCombo"));
    auto* refusal = dialog.findChild<QLabel*>(QStringLiteral("srsError"));
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("okButton"));
    ASSERT_TRUE(systems && refusal && ok);
    EXPECT_EQ(systems->currentText(), "EPSG:4547");
    dialog.show();

    systems->setEditText(QStringLiteral("EPSG:12345678"));
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(refusal->isVisible());
    EXPECT_TRUE(refusal->text().contains("EPSG:12345678")) << refusal->text().toStdString();
    EXPECT_TRUE(OpenNetworkDialog::recentSystems().isEmpty());

    systems->setEditText(QStringLiteral(" +proj=tmerc +lat_0=0 +lon_0=114 +k=1 +x_0=500000 +ellps=GRS80 "));
    EXPECT_FALSE(refusal->isVisible());
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(OpenNetworkDialog::recentSystems(),
              QStringList{"+proj=tmerc +lat_0=0 +lon_0=114 +k=1 +x_0=500000 +ellps=GRS80"});

    for (int code = 4540; code <= 4550; ++code)
        OpenNetworkDialog::remember(QStringLiteral("EPSG:%1").arg(code));
    OpenNetworkDialog::remember(QStringLiteral("EPSG:4547"));
    const QStringList recent = OpenNetworkDialog::recentSystems();
    EXPECT_EQ(recent, (QStringList{"EPSG:4547", "EPSG:4550", "EPSG:4549", "EPSG:4548", "EPSG:4546",
                                   "EPSG:4545", "EPSG:4544", "EPSG:4543"}));
    OpenNetworkDialog again(QStringLiteral("/data/network.mdb"), survey);
    EXPECT_EQ(again.findChild<QComboBox*>(QStringLiteral("srsCombo"))->count(), 8);
    EXPECT_EQ(again.system(), "EPSG:4547");
}
