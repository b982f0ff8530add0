// The main page and the pages it opens, in the program's main window on the simulated drive.
#include "GateLog.h"
#include "SimDrive.h"
#include "ui/shell/ShellFixture.h"

#include "app/InstallFlows.h"
#include "ui/geninfo/GenInfoDialog.h"
#include "ui/pages/DialogPage.h"
#include "ui/pages/DialogPages.h"
#include "ui/pages/IoPages.h"
#include "ui/pages/LedColour.h"
#include "ui/pages/TFAnalog.h"
#include "ui/pages/TFDigital.h"
#include "ui/pages/TFMainDev.h"

#include <QMdiSubWindow>
#include <QMenuBar>
#include <QSlider>
#include <QSpinBox>

namespace kelm::test {
namespace {

class ShellPagesTest : public ShellFixture {
protected:
    void Start(ShellFlows flows = ProgramFlows()) {
        ShowOnline(std::move(flows)); // the program's selection of the drive at 1
        ASSERT_TRUE(WaitFor([] { return MainDevPage() != nullptr; }));
    }
    // Only the dialog pages, guided setup and general settings open from the main page.
    void StartWithDialogPages() {
        ShellFlows flows;
        flows.Windows[QStringLiteral("TFMainDev")] = [](ShellHost& shell) {
            OpenMainDevPage(shell, DialogPageOpeners());
        };
        flows.Windows[QStringLiteral("GuidedSetup")] = &StartGuidedSetup;
        flows.Windows[QStringLiteral("TFGenInfo")] = &ShowGenInfo;
        Start(std::move(flows));
        ASSERT_TRUE(WaitFor([] { return MainDevPage()->FileMenuEnabled(); }));
    }
    template <typename T = QPushButton> static T* On(QWidget* page, const char* name) {
        return page->findChild<T*>(QString::fromLatin1(name));
    }
    static DialogPage* Page(const char* name) { return OpenDialogPage(QString::fromLatin1(name)); }
    static void Press(QWidget* page, const char* button) {
        On<QAbstractButton>(page, button)->click();
    }
    static void Press(const char* button) { Press(MainDevPage(), button); }
    TFDigital* LiveDigitalPage() {
        Press("BDigital");
        TFDigital* page = DigitalPage();
        EXPECT_TRUE(page != nullptr && WaitFor([page] { return page->Interactive(); }));
        return page;
    }
    static bool ShownNotLive(TFDigital& page) {
        const QList<QWidget*> controls{page.Switch(2), page.Selector(1), page.SpeedSlider()};
        const QString grey = LedColour(LedShade::NotLive).name();
        return std::none_of(controls.begin(), controls.end(),
                            [](QWidget* w) { return w->isEnabled(); }) &&
               On<QLabel>(&page, "LHw3")->styleSheet().contains(grey);
    }
};

TEST_F(ShellPagesTest, PageLivesInTheFrameWritesAPendingEditAndFollowsTheLine) {
    StartWithDialogPages();
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
    // On line the page grants File > Save; the homing lists come from the configuration
    // loaded after the page was created; buttons of pages this build lacks are disabled.
    EXPECT_EQ(std::tuple(window_->FindChildWindow(QStringLiteral("TFMainDev")) != nullptr,
                         window_->StateOf(Command::Save).Enabled,
                         On<QComboBox>(page, "CSearch")->count() > 0,
                         On(page, "BDigital")->isEnabled()),
              std::tuple(true, true, true, false));
    // A page button opens its page once; a second press brings the same page up.
    messages_.Clear();
    Press("BMotor");
    DialogPage* motor = Page("TFMotor");
    ASSERT_NE(window_->FindChildWindow(QStringLiteral("TFMotor")), nullptr);
    Press("BMotor");
    EXPECT_TRUE(Page("TFMotor") == motor && messages_.Texts().isEmpty());
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
TEST_F(ShellPagesTest, ReloadLaysThePageOutAgainGeneralSettingsWriteAndClosingFreesIt) {
    StartWithDialogPages();
    SetSimRegister(1, 71, 1);
    SetSimRegister(1, 70, 0);
    window_->ReloadFromDrive();
    EXPECT_EQ(std::tuple(On<QComboBox>(MainDevPage(), "CMode")->currentIndex(),
                         MainDevPage()->SpeedField()->isVisible()),
              std::tuple(1, true));
    dialogs_->OnNextDialog([](QDialog& dialog) {
        Press(&dialog, "CEmergency");
        Press(&dialog, "BOk");
    });
    window_->Run(Command::GeneralSettings);
    EXPECT_EQ(std::tuple(SimRegister(1, 70), dialogs_->Executed().back().Title,
                         dialogs_->UnexpectedCount()),
              std::tuple(0x800, QString("  General  Settings"), 0));
    window_->FindChildWindow(QStringLiteral("TFMainDev"))->close();
    EXPECT_TRUE(WaitFor([] { return MainDevPage() == nullptr; }));
    window_->ReloadFromDrive();
    window_->ConfigureForDevice();
    EXPECT_TRUE(window_->Driver().Online());
}

// Guided setup: current -> speed -> motor, each Ok applying; the menu is locked meanwhile.
TEST_F(ShellPagesTest, GuidedSetupWalksThePagesAndUnlocksTheMenu) {
    StartWithDialogPages();
    const auto press = [](const char* page, const char* button) { Press(Page(page), button); };
    const auto menusEnabled = [this] {
        const QList<QAction*> items = window_->menuBar()->actions();
        return std::count_if(items.begin(), items.end(), [](QAction* a) { return a->isEnabled(); });
    };
    ASSERT_TRUE(window_->GuidedSetupAction()->isEnabled());
    const auto unlocked = menusEnabled();
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
    Press("BCurrent");
    EXPECT_TRUE(Page("TFCurrent") == current && window_->MenuLocked());
    On<TPNumEdit>(current, "EInom")->setText(QStringLiteral("40"));
    press("TFCurrent", "BOk");
    EXPECT_EQ(SimRegister(1, 13), 40); // Ok applied before moving on
    press("TFSpeed", "BOk");
    ASSERT_TRUE(Page("TFMotor") != nullptr && window_->MenuLocked());
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
    EXPECT_TRUE(Page("TFCurrent")->HasEdits() && Page("TFSpeed") == nullptr &&
                window_->MenuLocked());
    press("TFCurrent", "BCancel");
    EXPECT_FALSE(window_->MenuLocked());
    EXPECT_TRUE(WaitFor([] { return Page("TFCurrent") == nullptr; }));
}

TEST_F(ShellPagesTest, DigitalPageForcesInputsAndRepairsFunctions) {
    Control(QStringLiteral("set 1 87 1")); // DGT-IN3 claims DGT-IN2's function
    Control(QStringLiteral("input 1 1 on"));
    Start();
    Press("BDigital");
    TFDigital* page = DigitalPage();
    ASSERT_NE(page, nullptr);
    // The later row gave way, written back; Enable waits until the page is live.
    EXPECT_EQ(std::tuple(SimRegister(1, 87), window_->StateOf(Command::Enable).Enabled,
                         MainDevPage()->SpeedField()->isEnabled()),
              std::tuple(0, false, false));
    ASSERT_TRUE(WaitFor([page] { return page->Interactive(); }));
    // A live wire never shows forced.
    EXPECT_TRUE(window_->StateOf(Command::Enable).Enabled && !page->Switch(1)->isChecked());

    // A function another row performs is refused and nothing is written.
    messages_.Clear();
    page->Selector(2)->setCurrentIndex(1);
    emit page->Selector(2)->activated(1);
    EXPECT_EQ(std::tuple(messages_.Texts().value(0), page->Selector(2)->currentIndex(),
                         SimRegister(1, 87)),
              std::tuple(QString("Funcion - Limit Switch +\r\nLocked by DGT-IN2 : Limit Switch +"),
                         0, 0));

    // Forcing DGT-IN3 reaches the drive's effective state; releasing clears it.
    page->Switch(2)->click();
    ASSERT_TRUE(WaitFor([this] { return (SimRegister(1, 65) & 0x0006) == 0x0006; }));
    EXPECT_TRUE(page->Switch(2)->isChecked());
    page->Switch(2)->click();
    ASSERT_TRUE(WaitFor([this] { return (SimRegister(1, 65) & 0x0004) == 0; }));
    // The main window's Enable acts on DGT-IN1.
    window_->Run(Command::Enable);
    ASSERT_TRUE(WaitFor([this] { return (SimRegister(1, 65) & 1) != 0; }));
    EXPECT_TRUE(page->Switch(0)->isChecked());
    window_->Run(Command::Disable);
    ASSERT_TRUE(WaitFor([this] { return (SimRegister(1, 65) & 1) == 0; }));

    // A keyboard step of the slider is written at once and mirrored into the main page.
    page->SpeedSlider()->setValue(1000);
    EXPECT_TRUE(WaitFor([this] { return SimRegister(1, 80) == 1000; }));
    EXPECT_EQ(MainDevPage()->SpeedField()->text(), On<QLabel>(page, "LSpeed")->text());

    page->close();
    EXPECT_TRUE(WaitFor([] { return DigitalPage() == nullptr; }));
    EXPECT_TRUE(MainDevPage()->SpeedField()->isEnabled());
}

TEST_F(ShellPagesTest, DigitalRequestsAskedBeforeALineChangeAreNeverWritten) {
    Start();
    TFDigital* page = LiveDigitalPage();
    ASSERT_NE(page, nullptr);
    QSlider* slider = page->SpeedSlider();
    const int shown = slider->value();
    GateLog log(window_->Driver());
    // A force and a drag inside its 200 ms window are pending when the line goes.
    slider->setSliderDown(true);
    slider->setValue(17471);
    page->Switch(2)->click();
    LineGoes(false);
    EXPECT_EQ(std::tuple(ShownNotLive(*page), slider->value()), std::tuple(true, shown));
    slider->setValue(17471); // off line the slider keeps showing the register
    EXPECT_EQ(slider->value(), shown);
    // Back on line the page is live again after two refreshes (what survives a line change
    // is DigitalForceSession's to decide).
    LineGoes(true);
    ASSERT_TRUE(WaitFor([page] { return page->Interactive(); }));
    slider->setSliderDown(false);
    // A drag still inside its window when the page closes is dropped, not committed.
    slider->setSliderDown(true);
    slider->setValue(17000);
    page->close();
    ASSERT_TRUE(WaitFor([] { return DigitalPage() == nullptr; }));
    EXPECT_FALSE(log.Wrote(80) || log.Wrote(73) || log.Wrote(74));
    EXPECT_EQ(SimRegister(1, 65) & 0x0004, 0);
}

TEST_F(ShellPagesTest, SliderMovedWhileTheDriveIsSilentIsNotWrittenAfterReconnecting) {
    Start();
    TFDigital* page = LiveDigitalPage();
    ASSERT_NE(page, nullptr);
    GateLog log(window_->Driver());
    Control(QStringLiteral("silent 1 on"));
    ASSERT_TRUE(WaitFor([page] { return ShownNotLive(*page); })); // told it is off line
    page->SpeedSlider()->setValue(17471);
    Control(QStringLiteral("silent 1 off"));
    // The next identification closes the page before the table is read.
    SelectWith(EnterNumber("1"), [](QDialog& d) { ScriptedDialogs::WaitClosed(d, 30000); });
    ASSERT_TRUE(window_->Driver().Online());
    EXPECT_TRUE(DigitalPage() == nullptr && !log.Wrote(80));
    EXPECT_NE(SimRegister(1, 80), 17471);
}

TEST_F(ShellPagesTest, AnalogOffsetsInMillivolts) {
    Control(QStringLiteral("set 1 29 100"));
    Control(QStringLiteral("set 1 28 5000")); // a dead band beyond its limit of 1000
    Start();
    Press("BAnalog");
    TFAnalog* page = AnalogPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(std::tuple(page->OffsetField(0)->RdValore(), On<TPNumEdit>(page, "EDe1")->text()),
              std::tuple(305, QString("500,0")));
    page->OffsetUpDown(0)->stepUp(); // raw + 1, applied 10 ms later
    EXPECT_TRUE(WaitFor([this] { return SimRegister(1, 29) == 101; }));
    // The dead band is shown as it is, never written back clamped.
    EXPECT_EQ(std::tuple(page->OffsetField(0)->RdValore(), SimRegister(1, 28)),
              std::tuple(308, 5000));
    // Filled when the page opens, then by every status poll while it stays open.
    page->InputValue(0)->clear();
    EXPECT_TRUE(WaitFor([page] { return !page->InputValue(0)->text().isEmpty(); }));
}

} // namespace
} // namespace kelm::test
