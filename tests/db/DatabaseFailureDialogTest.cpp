#include "database/DatabaseFailureDialog.h"
#include "database/DBConnection.h"
#include "text/GbkText.h"
#include "tests/db/DbFixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>

namespace {
// Made once and never destroyed: its destructor would run Qt's clean-up after Qt's
// own statics (the SQL connection list among them) are gone.
QApplication& application() {
    static int argc = 1;
    static char name[] = "db_dialog_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

struct Shown {
    QString title, text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    bool hasDefaultButton;
};

// Plays the user: notes each message box that comes up and presses Cancel on it.
class User {
public:
    User() {
        application();
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                                 box->defaultButton() != nullptr});
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

    std::vector<Shown> shown;

private:
    QTimer timer;
};
} // namespace

TEST(DatabaseFailureDialog, ShowsTheWordsWithOnlyCancelOnTheGuiThread) {
    User user;
    DatabaseFailureDialog::show(14, QStringLiteral("unable to open database file"));
    ASSERT_EQ(user.shown.size(), 1u);
    const Shown& box = user.shown[0];
    EXPECT_EQ(box.title, QStringLiteral("Cannot open database"));
    EXPECT_EQ(box.text,
              QStringLiteral("Unable to establish a database connection.\n14:unable to open database "
                             "fileClick Cancel to exit."));
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(box.buttons, QMessageBox::StandardButtons(QMessageBox::Cancel));
    EXPECT_FALSE(box.hasDefaultButton);
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
    ASSERT_EQ(user.shown.size(), 2u);
    EXPECT_NE(user.shown[0].text.indexOf(gbkToQString("管网.mdb")), -1) << qstringToGbk(user.shown[0].text);
    EXPECT_NE(user.shown[1].text.indexOf(QStringLiteral("Click Cancel to exit.")), -1);
    EXPECT_EQ(user.shown[1].title, QStringLiteral("Cannot open database"));

    // Once answered, the same failure is shown again the next time it happens.
    std::thread([&] { DBConnection(folder.path("管网.mdb")).open(); }).join();
    user.handleQueued();
    EXPECT_EQ(user.shown.size(), 3u);
}
