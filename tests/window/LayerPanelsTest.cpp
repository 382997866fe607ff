// The layer panel, the line layers panel and the import dialog: the exact messages they
// give the plug-in and its tools.
#include "tests/window/QtApp.h"

#include "app/window/ImportLinesDialog.h"
#include "app/window/LayerPanel.h"
#include "app/window/LineLayersPanel.h"

#include "Selmor/CXViewer.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QByteArray lastMessage(const QSignalSpy& spy) {
    return spy.isEmpty() ? QByteArray() : spy.last().at(0).toByteArray();
}

TEST(LayerPanel, AsksTheLayerToolInItsOwnNames) {
    qtApp();
    LayerPanel panel;
    panel.setKinds({"JS", "YG", "PS", "XX"});
    ASSERT_EQ(panel.topLevelItemCount(), 3);
    EXPECT_EQ(panel.topLevelItem(0)->text(0), QStringLiteral(u"给水管线"));
    QSignalSpy spy(&panel, &LayerPanel::layerMessage);

    panel.partItem("JS", LayerPanel::Pipes)->setCheckState(0, Qt::Unchecked);
    EXPECT_EQ(lastMessage(spy), QByteArray("LayerVisible:给水管线,给水管线,0"));
    panel.partItem("JS", LayerPanel::Lids)->setCheckState(0, Qt::Unchecked);
    EXPECT_EQ(lastMessage(spy), QByteArray("LayerVisible:给水管点,井盖,0"));
    panel.partItem("JS", LayerPanel::Lids)->setCheckState(0, Qt::Checked);
    EXPECT_EQ(lastMessage(spy), QByteArray("LayerVisible:给水管点,井盖,1"));
    panel.partItem("JS", LayerPanel::Chambers)->setCheckState(0, Qt::Unchecked);
    EXPECT_EQ(lastMessage(spy), QByteArray("LayerVisible:给水管点,井室,0"));
    // The tool knows the industrial gas layers by the panel's older names.
    panel.partItem("YG", LayerPanel::Pipes)->setCheckState(0, Qt::Unchecked);
    EXPECT_EQ(lastMessage(spy), QByteArray("LayerVisible:氧气管线,氧气管线,0"));
    EXPECT_EQ(LayerPanel::message("QG", LayerPanel::Lids, true), QByteArray("LayerVisible:负压管点,井盖,1"));
    EXPECT_EQ(spy.count(), 5);

    // Combined drainage has no row in the tool's table: listed, but not to be switched.
    QTreeWidgetItem* drainage = panel.partItem("PS", LayerPanel::Pipes);
    ASSERT_NE(drainage, nullptr);
    EXPECT_FALSE(drainage->flags() & Qt::ItemIsEnabled);
    EXPECT_FALSE(drainage->toolTip(0).isEmpty());
    EXPECT_TRUE(LayerPanel::message("PS", LayerPanel::Pipes, false).isEmpty());

    PIPEVISIBLETABLE table;
    table.pipe = false;
    table.chamber = false;
    panel.setVisibility("YG", table);
    EXPECT_EQ(panel.partItem("YG", LayerPanel::Pipes)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(panel.partItem("YG", LayerPanel::Lids)->checkState(0), Qt::Checked);
    EXPECT_EQ(panel.partItem("YG", LayerPanel::Chambers)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(spy.count(), 5);
}

TEST(LineLayersPanel, ShowsHidesAndRemovesByName) {
    qtApp();
    LineLayersPanel panel;
    QSignalSpy spy(&panel, &LineLayersPanel::controlMessage);
    const QString roads = QStringLiteral(u"/数据/道路.shp");
    panel.addLayer(roads, Qt::red);
    panel.addLayer(QStringLiteral("/data/kml"), Qt::blue);
    panel.addLayer(roads, Qt::green);
    panel.addLayer(QString(), Qt::green);
    ASSERT_EQ(panel.layerCount(), 2);
    EXPECT_EQ(spy.count(), 0);

    panel.layerItem(roads)->setCheckState(0, Qt::Unchecked);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.last().at(0).toByteArray(), QByteArray("Visual:no/数据/道路.shp"));
    EXPECT_FALSE(spy.last().at(1).toBool());
    panel.layerItem(roads)->setCheckState(0, Qt::Checked);
    EXPECT_EQ(spy.last().at(0).toByteArray(), QByteArray("Visual:yes/数据/道路.shp"));

    panel.show();
    auto* remove =
        qobject_cast<QToolButton*>(panel.findChild<QTreeWidget*>()->itemWidget(panel.layerItem(roads), 1));
    ASSERT_NE(remove, nullptr);
    QTest::mouseClick(remove, Qt::LeftButton);
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy.last().at(0).toByteArray(), QByteArray("Remove:/数据/道路.shp"));
    EXPECT_TRUE(spy.last().at(1).toBool());
    EXPECT_EQ(panel.layerCount(), 1);
    EXPECT_EQ(panel.layerItem(roads), nullptr);
}

TEST(ImportLinesDialog, GivesTheOpenLineMessageAndRemembersDepthAndColour) {
    qtApp();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral(u"管线.geojson"));
    QFile(file).open(QIODevice::WriteOnly);
    {
        ImportLinesDialog dialog;
        dialog.setFileName(QStringLiteral(" ") + file);
        dialog.setDepth(1.25);
        dialog.setColour(QColor(255, 0, 0, 255));
        EXPECT_EQ(dialog.message(), QByteArray("OpenLine:") + dir.path().toLocal8Bit() +
                                        QByteArray("/管线.geojson,1.25,1,0,0,1"));
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    ImportLinesDialog again;
    EXPECT_DOUBLE_EQ(again.depth(), 1.25);
    EXPECT_EQ(again.colour(), QColor(255, 0, 0, 255));
    again.setFileName(QStringLiteral("lines.shp"));
    EXPECT_EQ(again.fileName(), QDir::current().absoluteFilePath(QStringLiteral("lines.shp")));
    // Paths the message cannot carry, and files that are not there, keep the dialog open.
    for (const QString& bad : {dir.filePath(QStringLiteral("a,b.shp")),
                               dir.filePath(QStringLiteral("no.shp")), dir.path(), QString()}) {
        again.setFileName(bad);
        again.accept();
        EXPECT_NE(again.result(), QDialog::Accepted) << bad.toStdString();
        EXPECT_FALSE(again.problem().isEmpty());
    }
}

} // namespace
