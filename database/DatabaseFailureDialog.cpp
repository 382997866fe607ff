#include "database/DatabaseFailureDialog.h"

#include "text/GbkText.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <mutex>

namespace {
void showModal(const QString& text) {
    QMessageBox::critical(nullptr, DatabaseFailureDialog::title(), text, QMessageBox::Cancel,
                          QMessageBox::NoButton);
}

// Messages from other threads, shown one after another on the GUI thread. The one
// showing stays at the front until it is answered, so that the same failure arriving
// meanwhile is not shown twice.
std::mutex waitingMutex;
std::deque<QString> waiting;
bool showingWaiting = false; // GUI thread only

void showWaiting() {
    if (showingWaiting)
        return; // the loop below, further up this stack, takes the new message in turn
    showingWaiting = true;
    for (;;) {
        QString text;
        {
            std::lock_guard<std::mutex> guard(waitingMutex);
            if (waiting.empty())
                break;
            text = waiting.front();
        }
        showModal(text);
        std::lock_guard<std::mutex> guard(waitingMutex);
        waiting.pop_front();
    }
    showingWaiting = false;
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
        // Every tile asks for every kind again: one damaged file fails thousands of requests
        // in a few seconds. The same words are written once while they keep coming.
        static std::mutex printedMutex;
        static QString lastPrinted;
        static std::chrono::steady_clock::time_point lastTime;
        const auto now = std::chrono::steady_clock::now();
        std::lock_guard<std::mutex> guard(printedMutex);
        const bool repeated = message == lastPrinted && now - lastTime < std::chrono::seconds(5);
        lastPrinted = message;
        lastTime = now;
        if (repeated)
            return;
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
        if (std::find(waiting.begin(), waiting.end(), message) != waiting.end())
            return;
        waiting.push_back(message);
    }
    QMetaObject::invokeMethod(app, showWaiting, Qt::QueuedConnection);
}
