#include "WindowFixture.h"

#include "Selmor/CXViewer.h"
#include "app/SceneExport.h"

#include <osg/Group>

#include <QAction>
#include <QDir>
#include <QImage>

namespace {
// The middle of the sample's street grid, on the ground.
osg::Vec3d middle(double dx = 0, double dy = 0) {
    return osg::Vec3d(530353.5 + dx, 3384368.5 + dy, 21.5);
}
} // namespace

TEST_F(WindowTest, OpensANetworkAndDigsWhereAPersonClicks) {
    QString error;
    ASSERT_TRUE(window->openFile(QString::fromStdString(sampleXml), &error, false)) << error.toStdString();
    settle();
    EXPECT_GT(countScene(host->viewer().getRoot()).tiles, 0u);
    EXPECT_TRUE(window->windowTitle().startsWith(QStringLiteral("pipe")));

    window->toolAction("区域开挖")->trigger();
    for (const osg::Vec3d& corner : {middle(-10, -10), middle(10, -10), middle(10, 10)})
        clickAt(corner);
    clickAt(middle(10, 10), Qt::RightButton);
    spin(200);
    host->frame(3);
    EXPECT_NE(host->viewer().getExcavate()->getNumChildren(), 0u);
    const QImage shot = window->grab().toImage();

    QDir().mkpath(QString::fromStdString(bin + "/../docs"));
    EXPECT_TRUE(shot.save(QString::fromStdString(bin + "/../docs/window.png")));
}
