#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

// The test program's one application, its settings kept in a folder of its own. Made once
// and never destroyed: its destructor would run Qt's clean-up after Qt's own statics (the
// SQL connection list among them) are gone.
inline QApplication& qtApp() {
    static int argc = 1;
    static char name[] = "window_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    static QTemporaryDir settingsDir;
    static bool ready = [] {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("pipeviewer-tests"));
        QCoreApplication::setApplicationName(QStringLiteral("window_test"));
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
        return true;
    }();
    (void)ready;
    return *app;
}
