#include "WindowFixture.h"

#include "Selmor/CXViewer.h"
#include "app/SceneExport.h"

#include <osg/LOD>
#include <osg/NodeVisitor>
#include <osgDB/DatabasePager>

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <cstdlib>
#include <unistd.h>

std::string WindowTest::bin = PN_BIN_DIR, WindowTest::dir, WindowTest::sampleXml;
std::unique_ptr<QApplication> WindowTest::qt;
std::unique_ptr<RunFolder> WindowTest::folder;
std::unique_ptr<HostApp> WindowTest::host;
std::unique_ptr<MainWindow> WindowTest::window;

namespace {
int argc = 1;
char name[] = "window_test";
char* argv[] = {name, nullptr};

// Counts the pipe nodes of a layer a drawing would reach: hidden nodes and what lies
// under them are left out.
class ShownLayer : public osg::NodeVisitor {
public:
    explicit ShownLayer(std::string layer)
        : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN), _layer(std::move(layer)) {}
    void apply(osg::LOD& lod) override {
        if (lod.getName() == _layer)
            ++count;
        traverse(lod);
    }
    unsigned count = 0;

private:
    std::string _layer;
};
} // namespace

void WindowTest::SetUpTestSuite() {
    if (!std::getenv("DISPLAY"))
        return;
    char pattern[] = "/tmp/window-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    ASSERT_EQ(std::system((bin + "/pn_make_sample --out " + dir + " --segments 1500 > /dev/null").c_str()),
              0);
    sampleXml = dir + "/pipe.xml";

    std::string error;
    folder = std::make_unique<RunFolder>();
    ASSERT_TRUE(folder->create(bin, error)) << error;
    ASSERT_EQ(chdir(folder->workDir().c_str()), 0);
    // Settings of this run's own, started as on a first day (default layout, no recent
    // files): the user's stay untouched, and tests running side by side never share them.
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(dir + "/settings"));
    qt = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("pipeviewer-test"));
    QCoreApplication::setApplicationName(QStringLiteral("window_test"));

    HostApp::Options options;
    options.pluginPath = bin + "/libpipenetwork.so";
    options.embedded = true;
    options.section.prefix = dir + "/section";
    options.section.clearanceFile = bin + "/clearance.txt";
    host = std::make_unique<HostApp>(options, std::cout);
    ASSERT_TRUE(host->start(error)) << error;
    window = std::make_unique<MainWindow>(*host, *folder);
    window->resize(1600, 1000);
    window->show();
    QElapsedTimer shown;
    shown.start();
    while (!window->view()->isValid() && shown.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(window->view()->isValid());
}

void WindowTest::TearDownTestSuite() {
    window.reset();
    host.reset();
    if (chdir("/") != 0)
        std::perror("chdir");
    folder.reset();
    qt.reset();
    if (!dir.empty())
        std::system(("rm -rf '" + dir + "'").c_str());
}

void WindowTest::SetUp() {
    if (!host)
        GTEST_SKIP() << "needs a display (the suite runs under xvfb-run)";
}

void WindowTest::spin(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void WindowTest::settle() {
    host->waitPaging(60);
    spin(50);
}

void WindowTest::onNextDialog(std::function<void(QWidget*)> answer) {
    // Looked for until it shows: it opens inside an event loop of its own.
    auto* poll = new QTimer(qt.get());
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            answer(dialog);
        }
    });
    poll->start(20);
}

void WindowTest::clickAt(const osg::Vec3d& world, Qt::MouseButton button) {
    double px = 0, py = 0;
    ASSERT_TRUE(host->windowPixel(world, px, py));
    const qreal ratio = window->view()->devicePixelRatioF();
    const QPoint at(int(px / ratio), int(py / ratio));
    // The pointer comes to the place first, as a person's does (an event straight to the
    // view: the test moves no real cursor).
    QMouseEvent move(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window->view(), &move);
    host->frame();
    QTest::mouseClick(window->view(), button, Qt::NoModifier, at);
    host->frame(2);
    spin(30);
}

unsigned WindowTest::segmentsShown(const std::string& layer) {
    ShownLayer visitor(layer);
    host->viewer().getPipeGroup()->accept(visitor);
    return visitor.count;
}
