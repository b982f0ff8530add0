#include "ui/common/FakeShellHost.h"
#include "ui/seams/ScriptedDialogs.h"
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
}

// Users > Change/Release at the Expert level (as from the command line): Release asks
// nothing; untouched blanks are wrong, Cancel keeps the level, the right password raises
// it. The level is applied after each.
TEST(UsersTest, UserChangeReleasesAndAsksForThePassword) {
    ScriptedDialogs dialogs;
    FakeShellHost shell;
    shell.SetUserLevel(UserLevel::Expert);
    const auto change = [&](ScriptedDialogs::DialogHandler handler) {
        if (handler)
            dialogs.OnNextDialog(std::move(handler));
        const int applied = shell.levelApplied;
        UserChange(shell);
        EXPECT_EQ(shell.levelApplied, applied + 1);
        return shell.IsExpert();
    };
    EXPECT_FALSE(change({}));
    EXPECT_TRUE(dialogs.Executed().empty());
    EXPECT_FALSE(change([](QDialog& d) {
        auto& dialog = static_cast<TFUsers&>(d);
        EXPECT_EQ(dialog.Edit->text(), "      ");
        dialog.BOk->click();
    }));
    EXPECT_FALSE(change([](QDialog& d) { static_cast<TFUsers&>(d).BCancel->click(); }));
    EXPECT_TRUE(change([](QDialog& d) {
        auto& dialog = static_cast<TFUsers&>(d);
        EXPECT_EQ(std::pair(dialog.Edit->echoMode(), dialog.Edit->hasSelectedText()),
                  std::pair(QLineEdit::Password, true));
        QTest::keyClicks(dialog.Edit, "wuhwuhwuh"); // at most six characters
        EXPECT_EQ(dialog.Edit->text(), "wuhwuh");
        dialog.Edit->setText("wuh");
        QTest::keyClick(dialog.Edit, Qt::Key_Enter);
    }));
    ASSERT_EQ(dialogs.Executed().size(), 3u);
    EXPECT_EQ(dialogs.Executed().back().ClassName + "|" + dialogs.Executed().back().Title,
              "kelm::TFUsers| Change User");
}

} // namespace
} // namespace kelm::test
