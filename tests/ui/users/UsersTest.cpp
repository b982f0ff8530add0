#include "ui/drive/FakeShell.h"

#include "ui/users/TFUsers.h"
#include "ui/users/UserLevel.h"

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

// Types text into the password dialog the way a user does and confirms with Enter.
ScriptedDialogs::DialogHandler TypeAndEnter(const QString& text) {
    return [text](QDialog& d) {
        auto& dialog = static_cast<TFUsers&>(d);
        QTest::keyClicks(dialog.Edit, text);
        QTest::keyClick(dialog.Edit, Qt::Key_Return);
    };
}

struct UsersFixture : ::testing::Test {
    void SetUp() override { shell.SetStatusPanelText(StatusPanel::UserLevel, "Normal"); }
    QString Level() const { return shell.StatusPanelText(StatusPanel::UserLevel); }
    FakeShell shell;
};

TEST_F(UsersFixture, UntouchedBlanksAreWrongCancelKeepsReleaseAsksNothing) {
    shell.dialogs.OnNextDialog([](QDialog& d) {
        auto& dialog = static_cast<TFUsers&>(d);
        EXPECT_EQ(dialog.Edit->text(), "      ");
        dialog.BOk->click();
    });
    UserChange(shell);
    EXPECT_EQ(Level(), "Normal");
    EXPECT_EQ(shell.userLevelApplied, 1);
    // Cancel keeps the level; Release needs no dialog.
    shell.dialogs.OnNextDialog([](QDialog& d) { static_cast<TFUsers&>(d).BCancel->click(); });
    UserChange(shell);
    EXPECT_EQ(Level(), "Normal");
    shell.SetStatusPanelText(StatusPanel::UserLevel, "Expert");
    UserChange(shell);
    EXPECT_EQ(Level(), "Normal");
    EXPECT_EQ(shell.dialogs.Executed().size(), 2u);
    EXPECT_EQ(shell.dialogs.UnexpectedCount(), 0);
}

TEST_F(UsersFixture, RightPasswordReplacingThePresetBlanksRaisesTheLevel) {
    shell.Window()->setGeometry(100, 50, 900, 700);
    shell.dialogs.OnNextDialog([](QDialog& d) {
        auto& dialog = static_cast<TFUsers&>(d);
        EXPECT_EQ(dialog.Edit->echoMode(), QLineEdit::Password);
        EXPECT_TRUE(dialog.Edit->hasSelectedText());
        QTest::keyClicks(dialog.Edit, "wuhwuhwuh"); // at most six characters
        EXPECT_EQ(dialog.Edit->text(), "wuhwuh");
        dialog.Edit->setText("wuh");
        QTest::keyClick(dialog.Edit, Qt::Key_Enter);
    });
    UserChange(shell);
    EXPECT_EQ(Level(), "Expert");
    EXPECT_EQ(shell.userLevelApplied, 1);
    ASSERT_EQ(shell.dialogs.Executed().size(), 1u);
    EXPECT_EQ(shell.dialogs.Executed()[0].Title, " Change User");
    // Typed and confirmed with Return.
    shell.SetStatusPanelText(StatusPanel::UserLevel, "Normal");
    shell.dialogs.OnNextDialog(TypeAndEnter("wuh"));
    UserChange(shell);
    EXPECT_EQ(Level(), "Expert");
}

} // namespace
} // namespace kelm::test
