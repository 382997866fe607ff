#include "database/DatabaseFailureDialog.h"
#include "database/DBConnection.h"
#include "tests/db/DbFixture.h"
#include "text/GbkText.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>

namespace {
// Plays the user: notes each message box that comes up and presses Cancel on it.
class User {
public:
    User() {
        // Made once and never destroyed: its destructor would run Qt's clean-up after
        // Qt's own statics (the SQL connection list among them) are gone.
        static int argc = 1;
        static char name[] = "db_dialog_tests";
        static char* argv[] = {name, nullptr};
        if (!qApp)
            new QApplication(argc, argv);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                const bool look = box->icon() == QMessageBox::Critical && !box->defaultButton() &&
                                  box->standardButtons() == QMessageBox::StandardButtons(QMessageBox::Cancel);
                shown.push_back(box->windowTitle() + " | " + box->text() +
                                (look ? "" : " | not critical with Cancel only"));
                box->done(QMessageBox::Cancel);
            }
        });
        timer.start(1);
    }

    // Runs the GUI thread until everything queued to it so far has been handled.
    void handleQueued() {
        bool reached = false;
        QMetaObject::invokeMethod(
            qApp, [&] { reached = true; }, Qt::QueuedConnection);
        while (!reached || QApplication::activeModalWidget())
            QCoreApplication::processEvents();
    }

    QStringList shown;

private:
    QTimer timer;
};
} // namespace

TEST(DatabaseFailureDialog, ShowsTheWordsWithOnlyCancelOnTheGuiThread) {
    User user;
    DatabaseFailureDialog::show(14, QStringLiteral("unable to open database file"));
    EXPECT_EQ(user.shown,
              QStringList{QStringLiteral("Cannot open database | Unable to establish a database "
                                         "connection.\n14:unable to open database fileClick Cancel "
                                         "to exit.")});
}

TEST(DatabaseFailureDialog, PagerThreadFailuresAreQueuedToTheGuiThreadAndMerged) {
    User user;
    DbFixture folder;
    // A pager thread's loaders fail one after another and go on without waiting for the user.
    std::thread pager([&] {
        for (int i = 0; i < 3; ++i) {
            DBConnection(folder.path("管网.mdb")).open();
            DBConnection(folder.path("other.sqlite")).open();
        }
    });
    pager.join();
    EXPECT_TRUE(user.shown.empty());

    user.handleQueued();
    ASSERT_EQ(user.shown.size(), 2);
    EXPECT_TRUE(user.shown[0].startsWith(QStringLiteral("Cannot open database | Unable to establish")));
    EXPECT_TRUE(user.shown[0].contains(gbkToQString(folder.path("管网.mdb")))) << qstringToGbk(user.shown[0]);

    // Once answered, the same failure is shown again the next time it happens.
    std::thread([&] { DBConnection(folder.path("管网.mdb")).open(); }).join();
    user.handleQueued();
    EXPECT_EQ(user.shown.size(), 3);
}
