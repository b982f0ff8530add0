#include "ui/diagnostic/ToolFixture.h"

#include "ui/users/TFUsers.h"
#include "ui/users/UserLevel.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace kelm::test {
namespace {

TEST(UserLevel, PasswordIsExactAndCaseSensitive) {
    EXPECT_TRUE(PasswordMatches("wuh"));
    for (const char* wrong : {"Wuh", "WUH", " wuh", "wuh ", "wuh   ", "      ", "", "wu", "wuhh"})
        EXPECT_FALSE(PasswordMatches(wrong)) << wrong;
    EXPECT_EQ(LevelAfterPassword("wuh"), "Expert");
    EXPECT_EQ(LevelAfterPassword("wuH"), "Normal");
}

TEST(UserLevel, MenuCaptionFollowsTheLevelText) {
    EXPECT_EQ(UsersMenuCaption("Normal"), "&Change");
    EXPECT_EQ(UsersMenuCaption("Expert"), "&Release");
    EXPECT_EQ(UsersMenuCaption(""), "&Release"); // anything but "Normal"
}

// The main window (Expert from its command line) with the program's Users > Change.
struct UsersTest : ToolFixture {
    void SetUp() override {
        ToolFixture::SetUp();
        BuildEngine(sim::SimKind::Std);
        ShellFlows flows;
        flows.UserChange = &UserChange;
        ShowCancelled(flows);
    }
    // Users > Change/Release; the password dialog, if it comes, gets `handler`.
    void Change(ScriptedDialogs::DialogHandler handler = {}) {
        if (handler)
            dialogs_->OnNextDialog(std::move(handler));
        window_->Run(Command::UserChange);
    }
    QString Level() { return window_->StatusPanelText(StatusPanel::UserLevel); }
    QString Caption() { return window_->MenuAction(Command::UserChange)->text(); }
};

TEST_F(UsersTest, ReleaseAsksNothingUntouchedBlanksAreWrongCancelKeepsTheLevel) {
    Change();
    EXPECT_EQ(Level(), "Normal");
    EXPECT_EQ(Caption(), "&Change");
    Change([](QDialog& d) {
        auto& dialog = static_cast<TFUsers&>(d);
        EXPECT_EQ(dialog.Edit->text(), "      ");
        dialog.BOk->click();
    });
    EXPECT_EQ(Level(), "Normal");
    Change([](QDialog& d) { static_cast<TFUsers&>(d).BCancel->click(); });
    EXPECT_EQ(Level(), "Normal");
    EXPECT_EQ(Executed("kelm::TFUsers"), 2);
}

TEST_F(UsersTest, RightPasswordReplacingThePresetBlanksRaisesTheLevel) {
    Change();
    Change([](QDialog& d) {
        auto& dialog = static_cast<TFUsers&>(d);
        EXPECT_EQ(dialog.Edit->echoMode(), QLineEdit::Password);
        EXPECT_TRUE(dialog.Edit->hasSelectedText());
        QTest::keyClicks(dialog.Edit, "wuhwuhwuh"); // at most six characters
        EXPECT_EQ(dialog.Edit->text(), "wuhwuh");
        dialog.Edit->setText("wuh");
        QTest::keyClick(dialog.Edit, Qt::Key_Enter);
    });
    EXPECT_EQ(Level(), "Expert");
    EXPECT_EQ(Caption(), "&Release");
    EXPECT_EQ(dialogs_->Executed().back().Title, " Change User");
    // Typed and confirmed with Return.
    Change();
    Change([](QDialog& d) {
        auto& dialog = static_cast<TFUsers&>(d);
        QTest::keyClicks(dialog.Edit, "wuh");
        QTest::keyClick(dialog.Edit, Qt::Key_Return);
    });
    EXPECT_EQ(Level(), "Expert");
}

} // namespace
} // namespace kelm::test
