#include "WindowFixture.h"

#include "Selmor/CXViewer.h"
#include "Torvik/CXCommandRegistry.h"
#include "app/FeatureRecord.h"
#include "app/SceneExport.h"
#include "app/ViewProbe.h"
#include "app/window/IdentifyPanel.h"
#include "app/window/LayerPanel.h"
#include "app/window/SectionDock.h"
#include "section/CrossSection.h"
#include "section/TransectReport.h"

#include <osg/Group>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QSettings>
#include <QTableWidget>
#include <QTest>

#include <sstream>

namespace {
// The middle of the sample's street grid, on the ground.
osg::Vec3d middle(double dx = 0, double dy = 0) {
    return osg::Vec3d(530353.5 + dx, 3384368.5 + dy, 21.5);
}
} // namespace

// File > Open on a database: the coordinate system asked for, its pipe.xml written beside
// it, the network shown; a damaged file is refused with its reason and the network stays.
TEST_F(WindowTest, OpensADatabaseAndKeepsItOnADamagedOne) {
    const QString folder = QString::fromStdString(dir + "/open");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString database = folder + QStringLiteral(u"/街区 管网.sqlite");
    ASSERT_TRUE(QFile::copy(QString::fromStdString(dir + "/network.sqlite"), database));
    onNextDialog([](QWidget* dialog) {
        auto* srs = dialog->findChild<QComboBox*>(QStringLiteral("srsCombo"));
        ASSERT_NE(srs, nullptr);
        srs->setCurrentText(QStringLiteral("EPSG:4547"));
        static_cast<QDialog*>(dialog)->accept();
    });
    QString error;
    ASSERT_TRUE(window->openFile(database, &error, false)) << error.toStdString();
    EXPECT_TRUE(QFileInfo::exists(database + QStringLiteral(".pipe.xml")));
    settle();
    const SceneCounts shown = countScene(host->viewer().getRoot());
    EXPECT_GT(shown.tiles, 0u);
    EXPECT_EQ(shown.segmentsPerLayer.size(), 15u);
    const QString title = window->windowTitle();
    EXPECT_TRUE(title.contains(QStringLiteral(u"街区 管网"))) << title.toStdString();

    // The layer tree switches the water supply's pipes off and on again: the viewer's table
    // and the scene follow, the other kinds stay.
    auto* layers = window->findChild<LayerPanel*>(QStringLiteral("layerPanel"));
    ASSERT_NE(layers, nullptr);
    ASSERT_EQ(layers->topLevelItemCount(), 15);
    const unsigned water = segmentsShown("给水管线"), drains = segmentsShown("排水管线");
    ASSERT_GT(water, 0u);
    layers->partItem("JS", LayerPanel::Pipes)->setCheckState(0, Qt::Unchecked);
    host->frame();
    PIPEVISIBLETABLE table;
    host->viewer().getPipeVisible("JS", table);
    EXPECT_FALSE(table.pipe);
    EXPECT_TRUE(table.lid);
    EXPECT_EQ(segmentsShown("给水管线"), 0u);
    EXPECT_EQ(segmentsShown("排水管线"), drains);
    layers->partItem("JS", LayerPanel::Pipes)->setCheckState(0, Qt::Checked);
    host->frame();
    host->viewer().getPipeVisible("JS", table);
    EXPECT_TRUE(table.pipe);
    EXPECT_EQ(segmentsShown("给水管线"), water);

    const QString damaged = folder + QStringLiteral("/damaged.mdb");
    QFile bytes(damaged);
    ASSERT_TRUE(bytes.open(QIODevice::WriteOnly));
    bytes.write(QByteArray(8192, '\x5a'));
    bytes.close();
    bool told = false;
    onNextDialog([&told](QWidget* box) {
        told = qobject_cast<QMessageBox*>(box) != nullptr &&
               static_cast<QMessageBox*>(box)->text().contains(QStringLiteral("damaged.mdb"));
        static_cast<QDialog*>(box)->accept();
    });
    EXPECT_FALSE(window->openFile(damaged));
    EXPECT_TRUE(told);
    settle();
    EXPECT_EQ(window->windowTitle(), title);
    EXPECT_EQ(countScene(host->viewer().getRoot()).segmentsPerLayer, shown.segmentsPerLayer);
}

// A pit dug with the region tool, its depth from the dialog; a cross-section drawn with
// the mouse fills the panel as the host library computes it; the whole window pictured.
TEST_F(WindowTest, ToolsAreAnsweredByTheWindow) {
    QString error;
    ASSERT_TRUE(window->openFile(QString::fromStdString(sampleXml), &error, false)) << error.toStdString();
    settle();
    host->setCamera(middle(0, -70) + osg::Vec3d(0, 0, 60), middle());

    // A trench whose dialog is cancelled digs nothing; the tool stays chosen.
    window->toolAction("沿线开挖")->trigger();
    clickAt(middle(-20, 0));
    clickAt(middle(20, 0));
    onNextDialog([](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
    clickAt(middle(20, 0), Qt::RightButton);
    spin(300);
    host->frame(2);
    EXPECT_EQ(host->viewer().getExcavate()->getNumChildren(), 0u);
    EXPECT_EQ(CXCommandRegistry::instance().activeName(), "沿线开挖");

    window->toolAction("区域开挖")->trigger();
    for (const osg::Vec3d& corner : {middle(-6, -4), middle(6, -4), middle(6, 4), middle(-6, 4)})
        clickAt(corner);
    onNextDialog([](QWidget* dialog) {
        dialog->findChild<QDoubleSpinBox*>(QStringLiteral("depth"))->setValue(3.5);
        static_cast<QDialog*>(dialog)->accept();
    });
    clickAt(middle(-6, 4), Qt::RightButton);
    spin(300);
    host->frame(3);
    EXPECT_NE(host->viewer().getExcavate()->getNumChildren(), 0u);
    EXPECT_DOUBLE_EQ(host->answers().settings().depth, 3.5);
    EXPECT_DOUBLE_EQ(QSettings().value(QStringLiteral("tools/regionDepth")).toDouble(), 3.5);

    window->toolAction("横断面")->trigger();
    clickAt(middle(-30, 10));
    clickAt(middle(30, 10), Qt::RightButton);
    spin(300);
    auto* dock = window->findChild<SectionDock*>(QStringLiteral("sectionDock"));
    ASSERT_NE(dock, nullptr);
    ASSERT_TRUE(dock->isVisible());
    const CrossSection& section = dock->section();
    EXPECT_FALSE(section.rows.empty());
    std::ostringstream payload, out, err;
    payload << section.ax << ',' << section.ay << ',' << section.bx << ',' << section.by;
    CrossSection library;
    TransectReport::Options files;
    files.prefix = dir + "/again";
    ASSERT_TRUE(TransectReport::run(payload.str(), files, out, err, &library)) << err.str();
    auto* table = dock->findChild<QTableWidget*>(QStringLiteral("sectionTable"));
    ASSERT_EQ(std::size_t(table->rowCount()), library.rows.size());
    for (std::size_t i = 0; i < library.rows.size(); ++i)
        EXPECT_EQ(section.rows[i].gid, library.rows[i].gid);

    // A survey number typed in the search box: highlighted, and the camera flies to it.
    auto* search = window->findChild<QLineEdit*>(QStringLiteral("searchBox"));
    search->setText(QStringLiteral("JS1"));
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_TRUE(window->flying());
    std::vector<Found> found;
    std::string why;
    ASSERT_TRUE(FeatureRecord::find("JS1", found, why)) << why;
    ASSERT_FALSE(found.empty());
    for (int i = 0; i < 100 && window->flying(); ++i)
        spin(20);
    osg::Vec3d eye, centre, up;
    host->viewer().getViewer()->getCamera()->getViewMatrixAsLookAt(eye, centre, up);
    EXPECT_LT((eye - found[0].position).length(), 80.0);

    // Identify: a click on a pipe shows its row.
    window->toolAction("identify")->trigger();
    ViewProbe onPipe;
    QPoint at;
    for (int y = 100; y < 500 && !onPipe.pipe; y += 7)
        for (int x = 100; x < 900 && !onPipe.pipe; x += 7)
            onPipe = ViewProbe::at(host->viewer().getViewer(), host->viewer().getTerrain(), x, y),
            at = QPoint(x, y);
    ASSERT_TRUE(onPipe.pipe);
    QTest::mouseClick(window->view(), Qt::LeftButton, Qt::NoModifier, at);
    auto* identify = window->findChild<IdentifyPanel*>(QStringLiteral("identifyPanel"));
    ASSERT_TRUE(identify->isVisible());
    EXPECT_TRUE(identify->heading().contains(QString::fromStdString(onPipe.gid)))
        << identify->heading().toStdString();
    EXPECT_TRUE(identify->problem().isEmpty()) << identify->problem().toStdString();
    window->findChild<QDockWidget*>(QStringLiteral("identifyDock"))->hide();

    host->setCamera(middle(0, -45) + osg::Vec3d(0, 0, 35), middle());
    host->waitPaging(30);
    spin(200);
    const QImage shot = window->grab().toImage();
    QDir().mkpath(QString::fromStdString(bin + "/../docs"));
    EXPECT_TRUE(shot.save(QString::fromStdString(bin + "/../docs/window.png")));
}
