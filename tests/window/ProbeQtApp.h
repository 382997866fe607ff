#pragma once

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

// The one application of a widget test program, its settings in a folder of its own.
inline QApplication& probeQtApp() {
    static int argc = 1;
    static char name[] = "window_probe_test";
    static char* argv[] = {name, nullptr};
    static QTemporaryDir settings;
    static QApplication app = [] {
        QCoreApplication::setOrganizationName(QStringLiteral("pipeviewer-test"));
        QCoreApplication::setApplicationName(QStringLiteral("window_probe_test"));
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
        return QApplication(argc, argv);
    }();
    return app;
}
