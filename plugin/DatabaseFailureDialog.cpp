#include "plugin/DatabaseFailureDialog.h"

#include "plugin/GbkText.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include <cstdio>
#include <mutex>
#include <set>

namespace {
std::mutex waitingMutex;
std::set<QString> waiting;

void showModal(const QString& text) {
    QMessageBox::critical(nullptr, DatabaseFailureDialog::title(), text, QMessageBox::Cancel,
                          QMessageBox::NoButton);
}
} // namespace

QString DatabaseFailureDialog::title() {
    return QCoreApplication::tr("Cannot open database");
}

QString DatabaseFailureDialog::text(int errorNumber, const QString& errorText) {
    return QCoreApplication::tr("Unable to establish a database connection.\n") +
           QString::number(errorNumber) + QLatin1String(":") + errorText +
           QLatin1String("Click Cancel to exit.");
}

void DatabaseFailureDialog::show(int errorNumber, const QString& errorText) {
    const QString message = text(errorNumber, errorText);
    QCoreApplication* app = QCoreApplication::instance();
    if (!qobject_cast<QApplication*>(app)) {
        const std::string line = gbkToUtf8(qstringToGbk(title() + QLatin1String(": ") + message));
        std::fprintf(stderr, "%s\n", line.c_str());
        return;
    }
    if (QThread::currentThread() == app->thread()) {
        showModal(message);
        return;
    }
    {
        std::lock_guard<std::mutex> guard(waitingMutex);
        if (!waiting.insert(message).second)
            return;
    }
    QMetaObject::invokeMethod(
        app,
        [message] {
            showModal(message);
            std::lock_guard<std::mutex> guard(waitingMutex);
            waiting.erase(message);
        },
        Qt::QueuedConnection);
}
