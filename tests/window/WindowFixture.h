#pragma once

#include "app/HostApp.h"
#include "app/RunFolder.h"
#include "app/window/MainWindow.h"
#include "app/window/ViewWidget.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

// The program's desktop window, in this process as a person sees it: the plug-in loaded
// into the host, the view drawn into its widget under Xvfb, a small sample network of its
// own. One per test program (the host is one per process).
class WindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    // Runs the window's events for a while, the view drawing as it does for a person.
    static void spin(int milliseconds);
    // Frames until the pager has settled.
    static void settle();
    // Does `act` with the dialog (or message box) that opens next: `answer` gets it.
    static void onNextDialog(std::function<void(QWidget*)> answer);
    // A left click in the view where a world point is seen (or a right click).
    static void clickAt(const osg::Vec3d& world, Qt::MouseButton button = Qt::LeftButton);
    // Segments of the loaded tiles shown, per layer name (GBK).
    static unsigned segmentsShown(const std::string& layer);

    static std::string bin, dir, sampleXml;
    static std::unique_ptr<QApplication> qt;
    static std::unique_ptr<RunFolder> folder;
    static std::unique_ptr<HostApp> host;
    static std::unique_ptr<MainWindow> window;
};
