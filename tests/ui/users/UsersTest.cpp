#include "ui/diagnostic/ToolFixture.h"

#include "ui/users/TFUsers.h"
#include "ui/users/UserLevel.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace kelm::test {
namespace {

TEST(UserLevel, PasswordIsExactAndCaseSensitive) {
    EXPECT_TRUE(PasswordMatches("wuh"));
    for (const char* wrong : {"Wuh", "WUH", " wuh", "wuh ", "wuh   ", "      ", "", "wu", "wuhh"})
        EXPECT_FALSE(PasswordMatches(wrong)) << wrong;
    EXPECT_EQ(LevelAfterPassword("wuh"), "Expert");
    EXPECT_EQ(LevelAfterPassword("wuH"), "Normal");
    EXPECT_EQ(UsersMenuCaption("Normal"), "&Change");
    EXPECT_EQ(UsersMenuCaption(""), "&Release"); // anything but "Normal"
}

// Users > Change on the main window, Expert from its command line: Release asks nothing;
// untouched blanks are wrong, Cancel keeps the level, the right password raises it.
using UsersTest = ToolFixture;

TEST_F(UsersTest, UserChangeReleasesAndAsksForThePassword) {
    BuildEngine(sim::SimKind::Std);
    ShellFlows flows;
    flows.UserChange = &UserChange;
    ShowCancelled(flows);
    const auto change = [this](ScriptedDialogs::DialogHandler handler) {
        if (handler)
            dialogs_->OnNextDialog(std::move(handler));
        window_->Run(Command::UserChange);
        return window_->StatusPanelText(StatusPanel::UserLevel) + "|" +
               window_->MenuAction(Command::UserChange)->text();
    };
    EXPECT_EQ(change({}), "Normal|&Change");
    EXPECT_EQ(change([](QDialog& d) {
                  auto& dialog = static_cast<TFUsers&>(d);
                  EXPECT_EQ(dialog.Edit->text(), "      ");
                  dialog.BOk->click();
              }),
              "Normal|&Change");
    EXPECT_EQ(change([](QDialog& d) { static_cast<TFUsers&>(d).BCancel->click(); }),
              "Normal|&Change");
    EXPECT_EQ(change([](QDialog& d) {
                  auto& dialog = static_cast<TFUsers&>(d);
                  EXPECT_EQ(dialog.Edit->echoMode(), QLineEdit::Password);
                  EXPECT_TRUE(dialog.Edit->hasSelectedText());
                  QTest::keyClicks(dialog.Edit, "wuhwuhwuh"); // at most six characters
                  EXPECT_EQ(dialog.Edit->text(), "wuhwuh");
                  dialog.Edit->setText("wuh");
                  QTest::keyClick(dialog.Edit, Qt::Key_Enter);
              }),
              "Expert|&Release");
    EXPECT_EQ(dialogs_->Executed().back().Title, " Change User");
    EXPECT_EQ(Executed("kelm::TFUsers"), 3);
}

} // namespace
} // namespace kelm::test
