// The main window with the program's entries for the main parameter page and the general
// settings dialog, on the in-memory simulated drive.
#include "ui/shell/ShellFixture.h"

#include "core/drive/TDriver.h"
#include "ui/geninfo/GenInfoDialog.h"
#include "ui/pages/MainDevPage.h"
#include "ui/pages/TFMainDev.h"
#include "ui/widgets/TPNumEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <algorithm>

namespace kelm::test {
namespace {

class MainDevShellTest : public ShellFixture {
protected:
    void Start() {
        ShellFlows flows;
        flows.Windows[QStringLiteral("TFMainDev")] = [](ShellHost& shell) {
            OpenMainDevPage(shell);
        };
        flows.Windows[QStringLiteral("TFGenInfo")] = &ShowGenInfo;
        Build(std::move(flows));
        window_->show();
        // The start timer runs the drive selection (the main window's fallback).
        ASSERT_TRUE(WaitFor([this] {
            return window_->Driver().Online() && MainDevPage() != nullptr &&
                   MainDevPage()->FileMenuEnabled();
        }));
    }
    std::uint16_t Register(std::uint16_t address) {
        auto lock = engine_->Lock();
        return engine_->FindDevice(1)->Registers().Get(address);
    }
    void SetRegister(std::uint16_t address, std::uint16_t value) {
        auto lock = engine_->Lock();
        engine_->FindDevice(1)->Registers().Set(address, value);
    }
};

TEST_F(MainDevShellTest, PageLivesInTheFrameAndFollowsTheLine) {
    Start();
    TFMainDev* page = MainDevPage();
    EXPECT_NE(window_->FindChildWindow(QStringLiteral("TFMainDev")), nullptr);
    // On line: the page grants File > Save.
    EXPECT_TRUE(page->FileMenuEnabled());
    EXPECT_TRUE(window_->StateOf(Command::Save).Enabled);
    // The homing lists come from the configuration loaded after the page was created.
    EXPECT_GT(page->findChild<QComboBox*>(QStringLiteral("CSearch"))->count(), 0);

    // Buttons of pages this build lacks are disabled.
    EXPECT_FALSE(page->findChild<QPushButton*>(QStringLiteral("BMotor"))->isEnabled());
}

TEST_F(MainDevShellTest, ReloadLaysThePageOutAgainAndClosingFreesIt) {
    Start();
    SetRegister(71, 1);
    window_->ReloadFromDrive();
    TFMainDev* page = MainDevPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->findChild<QComboBox*>(QStringLiteral("CMode"))->currentIndex(), 1);
    EXPECT_TRUE(page->SpeedField()->isVisible());

    // Later reloads and layouts do not reach the freed page.
    window_->FindChildWindow(QStringLiteral("TFMainDev"))->close();
    EXPECT_TRUE(WaitFor([] { return MainDevPage() == nullptr; }));
    window_->ReloadFromDrive();
    window_->ConfigureForDevice();
    EXPECT_TRUE(window_->Driver().Online());
}

// Cancel and the dialog's own variants are checked on the dialog itself.
TEST_F(MainDevShellTest, GeneralSettingsOkWrites) {
    Start();
    SetRegister(70, 0);
    window_->ReloadFromDrive();
    dialogs_->OnNextDialog([](QDialog& dialog) {
        dialog.findChild<QCheckBox*>(QStringLiteral("CEmergency"))->click();
        dialog.findChild<QPushButton*>(QStringLiteral("BOk"))->click();
    });
    window_->Run(Command::GeneralSettings);
    EXPECT_EQ(Register(70), 0x800);
    ASSERT_EQ(dialogs_->Executed().size(), 1u);
    EXPECT_EQ(dialogs_->Executed()[0].Title, QStringLiteral("  General  Settings"));
    EXPECT_EQ(dialogs_->UnexpectedCount(), 0);
}

// "15x" typed, then at once Save to EEPROM: the letter is refused and 15 reaches the drive.
TEST_F(MainDevShellTest, APendingEditIsWrittenBeforeACommand) {
    Start();
    auto* field = MainDevPage()->findChild<TPNumEdit*>(QStringLiteral("ETorqSat"));
    const int typed = std::clamp(field->RdValore() == 15 ? 16 : 15, field->RdMin(), field->RdMax());
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, QString::number(typed) + QLatin1Char('x'));
    messages_.ScriptAnswers({true});
    window_->Run(Command::SaveEeprom);
    EXPECT_EQ(Register(static_cast<std::uint16_t>(field->Tag())), typed);
}

TEST_F(MainDevShellTest, OffLineTheFileMenuIsWithdrawn) {
    Start();
    Control(QStringLiteral("silent * on"));
    auto* level = MainDevPage()->findChild<TPNumEdit*>(QStringLiteral("ETorqSat"));
    level->setFocus();
    level->selectAll();
    QTest::keyClicks(level, QStringLiteral("55"));
    QTest::keyClick(level, Qt::Key_Return);
    EXPECT_FALSE(window_->Driver().Online());
    EXPECT_TRUE(messages_.Texts().contains(QStringLiteral("Device not Respondig")));
    EXPECT_FALSE(MainDevPage()->FileMenuEnabled());
    EXPECT_FALSE(window_->StateOf(Command::Save).Enabled);
    EXPECT_TRUE(level->IsMarked()); // not written: still red
}

} // namespace
} // namespace kelm::test
