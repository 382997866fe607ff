// The cross-section panel over a few pipes of our own: the table against the section, the
// exports, where the drawing puts a pipe, choosing pipes, and a section with nothing in it.
#include "app/window/SectionDock.h"
#include "app/window/SectionPlot.h"

#include "network/UtilityKind.h"
#include "section/ClearanceTable.h"
#include "section/SectionTable.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {
QApplication& application() {
    static int argc = 1;
    static char name[] = "window_section_test";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

NetworkPipe pipe(Kind kind, const char* gid, double x0, double y0, double x1, double y1, double depth,
                 const char* size) {
    NetworkPipe p;
    p.kind = int(kind);
    p.gid = gid;
    p.startNumber = std::string(gid) + "a", p.endNumber = std::string(gid) + "b";
    p.material = "铸铁";
    p.sectionSize = size;
    p.startX = x0, p.startY = y0, p.endX = x1, p.endY = y1, p.startDepth = p.endDepth = depth;
    return p;
}

// Along y = 0 from 0 to 20: a water main at 5 and a gas pipe 0.2 m beside it (too close),
// a power duct along the line from 10 to 14 and a large drain at 16.
CrossSection crafted() {
    std::vector<NetworkPipe> pipes = {
        pipe(Kind::JS, "j1", 5, -4, 5, 6, 1.2, "300"), pipe(Kind::TR, "t1", 5.4, -3, 5.4, 3, 1.2, "100"),
        pipe(Kind::GD, "g1", 10, 0, 14, 0, 0.8, "200X100"), pipe(Kind::WS, "w1", 16, -5, 16, 5, 2.0, "800")};
    return CrossSection::compute(
        0, 0, 20, 0, pipes, [](double, double) { return 50.0; }, ClearanceTable());
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct SectionPanel : ::testing::Test {
    SectionPanel() {
        dock.resize(1100, 420);
        dock.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dock));
    }
    QApplication& app = application();
    SectionDock dock;
};
} // namespace

TEST_F(SectionPanel, TableExportsAndDrawing) {
    CrossSection s = crafted();
    ASSERT_EQ(s.rows.size(), 4u);
    ASSERT_EQ(s.clearances.size(), 1u);
    dock.showSection(s);
    QTableWidget* table = dock.findChild<QTableWidget*>("sectionTable");
    ASSERT_TRUE(table);
    ASSERT_EQ(table->rowCount(), 4);
    auto cell = [&](int row, const char* column) {
        for (int c = 0; c < table->columnCount(); ++c)
            if (table->horizontalHeaderItem(c)->text() == column)
                return table->item(row, c)->text();
        ADD_FAILURE() << "no column " << column;
        return QString();
    };
    const char* gids[] = {"j1", "t1", "g1", "w1"};
    const char* distances[] = {"5.00", "5.40", "10.00", "16.00"};
    const char* tops[] = {"1.05", "1.15", "0.75", "1.60"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(cell(i, "gid"), gids[i]);
        EXPECT_EQ(cell(i, "distance m"), distances[i]);
        EXPECT_EQ(cell(i, "top depth m"), tops[i]);
    }
    EXPECT_EQ(cell(3, "bottom depth m"), "2.40");
    EXPECT_EQ(cell(0, "layer"), QStringLiteral(u"给水管线"));
    EXPECT_EQ(cell(0, "material"), QStringLiteral(u"铸铁"));
    EXPECT_EQ(cell(2, "size mm"), "200x100");
    EXPECT_EQ(cell(0, "too close to"), "2");
    EXPECT_NE(table->item(1, 0)->background(), table->item(3, 0)->background()); // the breach is marked

    // Exports: the CSV is the section table's own, the PNG a drawing with the pipes' colours.
    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(dock.exportCsv(dir.filePath("a.csv"), error)) << error.toStdString();
    std::string reason;
    ASSERT_TRUE(SectionTable::writeCsv(s, dir.filePath("b.csv").toStdString(), reason));
    EXPECT_EQ(readAll(dir.filePath("a.csv")), readAll(dir.filePath("b.csv")));
    ASSERT_TRUE(dock.exportSvg(dir.filePath("a.svg"), error));
    EXPECT_TRUE(readAll(dir.filePath("a.svg")).contains("<svg"));
    ASSERT_TRUE(dock.exportPng(dir.filePath("a.png"), error));
    QImage png(dir.filePath("a.png"));
    ASSERT_FALSE(png.isNull());
    EXPECT_GE(png.width(), 1200);
    const unsigned char* drain = UtilityKinds[int(Kind::WS)].colour;
    const QRgb drainColour = qRgb(drain[0], drain[1], drain[2]);
    int drainPixels = 0;
    for (int y = 0; y < png.height(); ++y)
        for (int x = 0; x < png.width(); ++x)
            drainPixels += png.pixel(x, y) == drainColour;
    EXPECT_GT(drainPixels, 50);
    EXPECT_FALSE(dock.exportCsv(dir.filePath("missing/a.csv"), error));
    EXPECT_FALSE(error.isEmpty());

    // The drawing puts each pipe at its distance and height, in its colour, the deeper lower.
    SectionPlot* plot = dock.findChild<SectionPlot*>("sectionPlot");
    ASSERT_TRUE(plot);
    QSpinBox* exaggeration = dock.findChild<QSpinBox*>("exaggeration");
    EXPECT_EQ(exaggeration->value(), plot->exaggeration());
    for (int factor : {1, 5}) {
        SCOPED_TRACE(factor);
        exaggeration->setValue(factor);
        EXPECT_EQ(plot->exaggeration(), factor);
        QImage image = plot->image(plot->size());
        for (std::size_t i : {0, 3}) {
            const CrossSection::Row& r = s.rows[i];
            // Left of the water main's centre: off the red marks of its breach with the gas pipe.
            QPointF at =
                plot->toWidget(r.distance, r.centre) - QPointF(i == 0 ? plot->pipeRect(0).width() / 3 : 0, 0);
            EXPECT_TRUE(plot->pipeRect(int(i)).contains(at));
            const unsigned char* c = UtilityKinds[r.kind].colour;
            EXPECT_EQ(image.pixel(at.toPoint()), qRgb(c[0], c[1], c[2])) << i;
            EXPECT_NE(image.pixel(plot->toWidget(r.distance, 50.2).toPoint()), qRgb(c[0], c[1], c[2]));
        }
        EXPECT_LT(plot->toWidget(5, 48).x(), plot->toWidget(16, 48).x());
        EXPECT_GT(plot->toWidget(16, 47.6).y(), plot->toWidget(5, 48.65).y());
        // Heights stretched by the factor against distances.
        double across = plot->toWidget(1, 48).x() - plot->toWidget(0, 48).x();
        double down = plot->toWidget(0, 48).y() - plot->toWidget(0, 49).y();
        EXPECT_NEAR(down / across, factor, 1e-9);
    }
    // The SVG keeps the factor shown.
    ASSERT_TRUE(dock.exportSvg(dir.filePath("b.svg"), error));
    EXPECT_TRUE(readAll(dir.filePath("b.svg")).contains("vertical exaggeration 5:1"));
}

TEST_F(SectionPanel, ChoosingPipes) {
    CrossSection s = crafted();
    dock.showSection(s);
    QSignalSpy chosen(&dock, &SectionDock::pipeChosen);
    QTableWidget* table = dock.table();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      table->visualItemRect(table->item(2, 0)).center());
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen[0][0].toInt(), 2);
    EXPECT_EQ(chosen[0][1].toByteArray(), "g1");
    EXPECT_EQ(dock.plot()->selectedRow(), 2);
    // The same row clicked again tells again (the 3D view may have moved on), once.
    QCoreApplication::processEvents();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      table->visualItemRect(table->item(2, 0)).center());
    EXPECT_EQ(chosen.count(), 2);

    // A pipe clicked in the drawing is chosen in the table.
    SectionPlot* plot = dock.plot();
    QPoint drain = plot->pipeRect(3).center().toPoint();
    EXPECT_EQ(plot->rowAt(drain), 3);
    QTest::mouseClick(plot, Qt::LeftButton, {}, drain);
    ASSERT_EQ(chosen.count(), 3);
    EXPECT_EQ(chosen[2][1].toByteArray(), "w1");
    EXPECT_EQ(table->currentRow(), 3);
    EXPECT_EQ(plot->selectedRow(), 3);
    QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(2, 2)); // nothing there
    EXPECT_EQ(chosen.count(), 3);
}

TEST_F(SectionPanel, EmptySections) {
    CrossSection none = CrossSection::compute(
        5, 1, 5, 1, {}, [](double, double) { return 0.0; }, ClearanceTable());
    ASSERT_FALSE(none.message.empty());
    dock.showSection(none);
    EXPECT_EQ(dock.table()->rowCount(), 0);
    QImage image = dock.plot()->image(QSize(300, 150));
    int ink = 0; // the message's words
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += image.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_GT(ink, 50);
    QTemporaryDir dir;
    QString error;
    EXPECT_TRUE(dock.exportPng(dir.filePath("none.png"), error));
    EXPECT_TRUE(dock.exportCsv(dir.filePath("none.csv"), error));

    // A line over no pipe: the ground and the axes, no rows; a tiny widget still draws.
    dock.showSection(CrossSection::compute(
        0, 0, 30, 0, {}, [](double x, double) { return 10 + x / 10; }, ClearanceTable()));
    EXPECT_EQ(dock.table()->rowCount(), 0);
    // Heights no ground has, or none at all: drawn or declined, never a hang.
    for (double height : {1e17, std::nan("")}) {
        dock.showSection(CrossSection::compute(
            0, 0, 30, 0, {}, [=](double, double) { return height; }, ClearanceTable()));
        EXPECT_FALSE(dock.plot()->image(QSize(400, 200)).isNull());
        EXPECT_TRUE(dock.exportSvg(dir.filePath("far.svg"), error));
    }
    dock.plot()->resize(20, 10);
    dock.plot()->repaint();
    EXPECT_EQ(dock.plot()->rowAt(QPointF(10, 5)), -1);
}
