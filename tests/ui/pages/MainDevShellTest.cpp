#include "SimDrive.h"
#include "ui/shell/ShellFixture.h"

#include "ui/geninfo/GenInfoDialog.h"
#include "ui/pages/DialogPage.h"
#include "ui/pages/DialogPages.h"
#include "ui/pages/TFMainDev.h"

#include <QCheckBox>
#include <QDialog>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>

namespace kelm::test {
namespace {

class MainDevShellTest : public ShellFixture {
protected:
    void Start() {
        ShellFlows flows;
        flows.Windows[QStringLiteral("TFMainDev")] = [](ShellHost& shell) {
            OpenMainDevPage(shell, DialogPageOpeners());
        };
        flows.Windows[QStringLiteral("GuidedSetup")] = &StartGuidedSetup;
        flows.Windows[QStringLiteral("TFGenInfo")] = &ShowGenInfo;
        ShowOnline(std::move(flows)); // the program's selection of the drive at 1
        ASSERT_TRUE(WaitFor([] { return MainDevPage() && MainDevPage()->FileMenuEnabled(); }));
    }
    // A named child of an open page.
    template <typename T = QPushButton> static T* On(QWidget* page, const char* name) {
        return page->findChild<T*>(QString::fromLatin1(name));
    }
    static DialogPage* Page(const char* name) { return OpenDialogPage(QString::fromLatin1(name)); }
};

// "15x" typed, then at once Save to EEPROM: the letter is refused and 15 reaches the drive.
TEST_F(MainDevShellTest, PageLivesInTheFrameWritesAPendingEditAndFollowsTheLine) {
    Start();
    TFMainDev* page = MainDevPage();
    auto* field = On<TPNumEdit>(page, "ETorqSat");
    const int typed = field->RdValore() == 15 ? 16 : 15;
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, QString::number(typed) + QLatin1Char('x'));
    messages_.ScriptAnswers({true});
    window_->Run(Command::SaveEeprom);
    EXPECT_EQ(SimRegister(1, static_cast<std::uint16_t>(field->Tag())), typed);
    EXPECT_NE(window_->FindChildWindow(QStringLiteral("TFMainDev")), nullptr);
    // On line the page grants File > Save; the homing lists come from the configuration
    // loaded after the page was created; buttons of pages this build lacks are disabled.
    EXPECT_TRUE(window_->StateOf(Command::Save).Enabled);
    EXPECT_GT(On<QComboBox>(page, "CSearch")->count(), 0);
    EXPECT_FALSE(On(page, "BDigital")->isEnabled());
    // A page button opens its page once; a second press brings the same page up.
    messages_.Clear();
    On(page, "BMotor")->click();
    DialogPage* motor = Page("TFMotor");
    ASSERT_NE(window_->FindChildWindow(QStringLiteral("TFMotor")), nullptr);
    On(page, "BMotor")->click();
    EXPECT_EQ(Page("TFMotor"), motor);
    EXPECT_TRUE(messages_.Texts().isEmpty());
    // A reload keeps the page; a table of another kind, with other registers, closes it.
    window_->Children().NotifyTableChanged();
    EXPECT_EQ(Page("TFMotor"), motor);
    window_->Driver().SelectDeviceKind(DeviceKind::Drive, false);
    window_->Children().NotifyTableChanged();
    EXPECT_EQ(Page("TFMotor"), nullptr);
}

// A reload lays the page out again; General Settings writes its choice (the dialog's Cancel
// and variants are checked on the dialog itself); later reloads and layouts do not reach the
// closed page.
TEST_F(MainDevShellTest, ReloadLaysThePageOutAgainGeneralSettingsWriteAndClosingFreesIt) {
    Start();
    SetSimRegister(1, 71, 1);
    SetSimRegister(1, 70, 0);
    window_->ReloadFromDrive();
    EXPECT_EQ(On<QComboBox>(MainDevPage(), "CMode")->currentIndex(), 1);
    EXPECT_TRUE(MainDevPage()->SpeedField()->isVisible());
    dialogs_->OnNextDialog([](QDialog& dialog) {
        On<QCheckBox>(&dialog, "CEmergency")->click();
        On(&dialog, "BOk")->click();
    });
    window_->Run(Command::GeneralSettings);
    EXPECT_EQ(SimRegister(1, 70), 0x800);
    EXPECT_EQ(std::tuple(dialogs_->Executed().back().Title, dialogs_->UnexpectedCount()),
              std::tuple(QString("  General  Settings"), 0));
    window_->FindChildWindow(QStringLiteral("TFMainDev"))->close();
    EXPECT_TRUE(WaitFor([] { return MainDevPage() == nullptr; }));
    window_->ReloadFromDrive();
    window_->ConfigureForDevice();
    EXPECT_TRUE(window_->Driver().Online());
}

// Guided setup: current -> speed -> motor, each Ok applying; the menu is locked meanwhile.
TEST_F(MainDevShellTest, GuidedSetupWalksThePagesAndUnlocksTheMenu) {
    Start();
    const auto press = [](const char* page, const char* button) {
        On(Page(page), button)->click();
    };
    const auto menusEnabled = [this] {
        int enabled = 0;
        for (QAction* item : window_->menuBar()->actions())
            enabled += item->isEnabled() ? 1 : 0;
        return enabled;
    };
    ASSERT_TRUE(window_->GuidedSetupAction()->isEnabled());
    const int unlocked = menusEnabled();
    window_->GuidedSetupAction()->trigger();
    EXPECT_TRUE(window_->MenuLocked() && menusEnabled() == 0);
    DialogPage* current = Page("TFCurrent");
    ASSERT_NE(current, nullptr);
    EXPECT_TRUE(current->IsGuided() && !current->ApplyButton()->isVisibleTo(current));
    // It opens clear of the main page's buttons, which stay usable beside it.
    const QMdiSubWindow* guided = window_->FindChildWindow(QStringLiteral("TFCurrent"));
    const QMdiSubWindow* mainFrame = window_->FindChildWindow(QStringLiteral("TFMainDev"));
    ASSERT_TRUE(guided != nullptr && mainFrame != nullptr);
    for (const QPushButton* button : MainDevPage()->findChildren<QPushButton*>()) {
        const QRect place(button->mapTo(mainFrame, QPoint()) + mainFrame->pos(), button->size());
        EXPECT_FALSE(button->isVisibleTo(mainFrame) && guided->geometry().intersects(place))
            << button->text().toStdString();
    }
    // The page's button brings the guided page up; the sequence goes on.
    On(MainDevPage(), "BCurrent")->click();
    EXPECT_TRUE(Page("TFCurrent") == current && window_->MenuLocked());
    On<TPNumEdit>(current, "EInom")->setText(QStringLiteral("40"));
    press("TFCurrent", "BOk");
    EXPECT_EQ(SimRegister(1, 13), 40); // Ok applied before moving on
    press("TFSpeed", "BOk");
    ASSERT_NE(Page("TFMotor"), nullptr);
    EXPECT_TRUE(window_->MenuLocked());
    Choose(On<QComboBox>(Page("TFMotor"), "CFeed"), 0); // "Encoder"
    press("TFMotor", "BOk");
    EXPECT_EQ(std::tuple(window_->MenuLocked(), menusEnabled(), SimRegister(1, 12),
                         On<QLabel>(MainDevPage(), "PResolver")->text()),
              std::tuple(false, unlocked, 0, QString("Encoder")));

    // Cancel on the way ends the sequence too.
    window_->GuidedSetupAction()->trigger();
    press("TFCurrent", "BOk");
    press("TFSpeed", "BCancel");
    EXPECT_TRUE(!window_->MenuLocked() && menusEnabled() == unlocked);

    // A write that fails (the drive fell silent) keeps the page with its edit, and the
    // sequence stays until the page is cancelled.
    window_->GuidedSetupAction()->trigger();
    Control(QStringLiteral("silent * on"));
    On<TPNumEdit>(Page("TFCurrent"), "EInom")->setText(QStringLiteral("30"));
    press("TFCurrent", "BOk");
    ASSERT_NE(Page("TFCurrent"), nullptr);
    EXPECT_TRUE(Page("TFCurrent")->HasEdits() && Page("TFSpeed") == nullptr);
    EXPECT_TRUE(window_->MenuLocked());
    press("TFCurrent", "BCancel");
    EXPECT_FALSE(window_->MenuLocked());
    EXPECT_TRUE(WaitFor([] { return Page("TFCurrent") == nullptr; }));
}

} // namespace
} // namespace kelm::test
