#include "app/window/ToolDialogs.h"

#include "QtApp.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs `answer` on the dialog as soon as it shows, and asks.
bool askWith(const std::string& report, ToolAnswers::Settings& settings,
             std::function<void(QDialog&)> answer) {
    qtApp();
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answer(*dialog);
        if (dialog->isVisible()) // left open: give up
            dialog->reject();
    });
    return ToolDialogs::ask(nullptr, report, settings);
}

QDoubleSpinBox& box(QDialog& dialog, const char* name) {
    auto* found = dialog.findChild<QDoubleSpinBox*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return *found;
}

void ok(QDialog& dialog) {
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

} // namespace

TEST(ToolDialogs, EachToolStartsFromWhatWasUsedLastForIt) {
    ToolAnswers::Settings settings;
    ASSERT_TRUE(askWith("SetUpTunnel", settings, [](QDialog& dialog) {
        box(dialog, "width").setValue(6.5);
        box(dialog, "height").setValue(4.0);
        box(dialog, "depth").setValue(12.0);
        ok(dialog);
    }));
    EXPECT_DOUBLE_EQ(settings.width, 6.5);
    EXPECT_DOUBLE_EQ(settings.height, 4.0);
    EXPECT_DOUBLE_EQ(settings.depth, 12.0);

    // The trench has values of its own: the tunnel's are not offered for it.
    ToolAnswers::Settings trench;
    double shownWidth = 0, shownDepth = 0;
    ASSERT_TRUE(askWith("沿线开挖", trench, [&](QDialog& dialog) {
        shownWidth = box(dialog, "width").value();
        box(dialog, "depth").setValue(3.25);
        shownDepth = box(dialog, "depth").value();
        EXPECT_EQ(dialog.findChild<QDoubleSpinBox*>(QStringLiteral("height")), nullptr);
        ok(dialog);
    }));
    EXPECT_DOUBLE_EQ(shownWidth, ToolAnswers::Settings().width);
    EXPECT_DOUBLE_EQ(trench.depth, 3.25);

    double tunnelWidth = 0, tunnelDepth = 0, trenchDepth = 0;
    ToolAnswers::Settings again;
    EXPECT_FALSE(askWith("SetUpTunnel", again, [&](QDialog& dialog) {
        tunnelWidth = box(dialog, "width").value();
        tunnelDepth = box(dialog, "depth").value();
        dialog.reject();
    }));
    EXPECT_FALSE(askWith("沿线开挖", again, [&](QDialog& dialog) {
        trenchDepth = box(dialog, "depth").value();
        dialog.reject();
    }));
    EXPECT_DOUBLE_EQ(tunnelWidth, 6.5);
    EXPECT_DOUBLE_EQ(tunnelDepth, 12.0);
    EXPECT_DOUBLE_EQ(trenchDepth, 3.25);
    // Cancelled: nothing changed.
    EXPECT_DOUBLE_EQ(again.depth, ToolAnswers::Settings().depth);
    EXPECT_FALSE(ToolDialogs::ask(nullptr, "横断面", again));
}

TEST(ToolDialogs, RefusesNothingAndTooMuchSayingWhichAndKeepsAskingUntilCancelled) {
    ToolAnswers::Settings settings;
    QStringList told;
    EXPECT_FALSE(askWith("区域开挖", settings, [&](QDialog& dialog) {
        auto* problem = dialog.findChild<QLabel*>(QStringLiteral("problem"));
        box(dialog, "depth").setValue(0.0);
        ok(dialog);
        told << (problem->isVisible() ? problem->text() : QString());
        box(dialog, "depth").setValue(400.0);
        ok(dialog);
        told << (dialog.isVisible() ? problem->text() : QString());
        dialog.reject();
    }));
    ASSERT_EQ(told.size(), 2);
    EXPECT_TRUE(told[0].contains(QStringLiteral(u"深度")) && told[0].contains(QStringLiteral(u"大于 0")))
        << told[0].toStdString();
    EXPECT_TRUE(told[1].contains(QStringLiteral(u"不能超过 50"))) << told[1].toStdString();
    EXPECT_DOUBLE_EQ(settings.depth, ToolAnswers::Settings().depth);

    // A stored value that cannot be used is not offered.
    QSettings().setValue(QStringLiteral("tools/regionDepth"), QStringLiteral("deep"));
    double shown = 0;
    settings.depth = 7.0;
    EXPECT_TRUE(askWith("区域开挖", settings, [&](QDialog& dialog) {
        shown = box(dialog, "depth").value();
        ok(dialog);
    }));
    EXPECT_DOUBLE_EQ(shown, 7.0);
}
