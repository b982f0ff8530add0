#include "ShellFixture.h"

#include "app/InstallFlows.h"
#include "ui/diagnostic/MainWindowReduction.h"
#include "ui/shell/ProgramLaunch.h"
#include "ui/status/StatusMonitor.h"
#include "ui/status/StatusPanelWidget.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>

namespace kelm::test {
namespace {

class CommandsTest : public ShellFixture {};

TEST_F(CommandsTest, ReloadDefaultsEepromAndResetAskAndReport) {
    Build();
    GoOnline();
    ParamEntry* entry = window_->Driver().ActiveTable().FindByAddress(12);
    // A stale table value gives way to the drive's after the reload.
    entry->DriveValue = entry->Value = 99;
    messages_.ScriptAnswers({true});
    window_->Run(Command::LoadEeprom);
    EXPECT_EQ(std::tuple(messages_.Texts().value(0), entry->DriveValue,
                         window_->StatusPanelText(StatusPanel::LineState)),
              std::tuple(QString("Reload data from EEPROM ?"),
                         static_cast<std::int16_t>(SimRegister(1, 12)), QString("On Line")));
    messages_.Clear();
    messages_.ScriptAnswers({true});
    window_->Run(Command::LoadDefaults);
    EXPECT_EQ(messages_.Texts(), QStringList({"Load Default Data ?"}));
    EXPECT_EQ(entry->DriveValue, entry->DefaultValue);
    // Asked first; No sends nothing; Yes reports success, or the drive's refusal.
    const std::tuple<Command, QString, QString, QString> rows[] = {
        {Command::SaveEeprom, "Save actual data to EEPROM?", "Data Saved !",
         "Device not perform\rEEPROM operation!"},
        {Command::ResetDrive, "Reset Drive ?", "Reset Executed !", "Rest Operation Fail !"}};
    for (const auto& [command, question, done, failed] : rows) {
        Control(QStringLiteral("cmdfault * off"));
        messages_.Clear();
        messages_.ScriptAnswers({false, true});
        window_->Run(command);
        window_->Run(command);
        EXPECT_EQ(messages_.Texts(), QStringList({question, question, done}));
        EXPECT_TRUE(window_->Driver().Online() &&
                    window_->Driver().Mode() == WorkerMode::StatusPoll);
        messages_.Clear();
        Control(QStringLiteral("cmdfault * on"));
        messages_.ScriptAnswers({true});
        window_->Run(command);
        EXPECT_EQ(messages_.Texts().value(0), question);
        EXPECT_TRUE(messages_.Texts().contains(failed) && !messages_.Texts().contains(done))
            << messages_.Texts().join('|').toStdString();
    }
}

// While the diagnostic window is open the main window keeps only its Diagnostic menu and
// the buttons that start other work stay disabled, also when the command states are
// recomputed meanwhile. Off line the command only says so.
TEST_F(CommandsTest, DiagnosticReductionSurvivesCommandStateChanges) {
    ShellFlows flows;
    std::unique_ptr<MainWindowReduction> reduction;
    flows.Windows[QStringLiteral("TFDiagnostic")] = [&](ShellHost& shell) {
        FakeWindowFlow("TFDiagnostic")(shell);
        // What the diagnostic window does when it opens.
        shell.SetDiagnosticMenuVisible(true);
        reduction = std::make_unique<MainWindowReduction>(shell.Window());
        reduction->Apply();
    };
    Build(flows, {QStringLiteral("kelmdrive"), QStringLiteral("travik")});
    window_->show();
    window_->Run(Command::Diagnostic); // enabled (Expert) off line
    EXPECT_TRUE(messages_.Texts().contains("Off Line !") && reduction == nullptr);
    ASSERT_TRUE(WaitFor([&] { return window_->Started(); }));
    GoOnline();
    // As an Orca 230 on line the window shows the firmware loader button.
    window_->Driver().WaitIdle();
    window_->Driver().SelectDeviceKind(DeviceKind::Orca230, false);
    window_->ConfigureForDevice();
    ASSERT_TRUE(window_->StateOf(Command::Bootloader).Visible);
    EXPECT_EQ(window_->DriveMenu()->title(), "D&RIVE"); // the kind's rules reach the widgets
    window_->Run(Command::Diagnostic);
    const Command reduced[] = {
        Command::Open,         Command::SaveAs,      Command::SelectDrive,
        Command::SaveEeprom,   Command::LoadEeprom,  Command::LoadDefaults,
        Command::ResetDrive,   Command::ProfileTool, Command::GeneralSettings,
        Command::Oscilloscope, Command::Bootloader};
    const std::pair<const char*, std::function<void()>> recomputes[] = {
        {"opened", [] {}}, {"save grant", [&] { window_->SetSaveEnabled(true); }}};
    for (const auto& [after, recompute] : recomputes) {
        recompute();
        for (Command c : reduced)
            EXPECT_FALSE(window_->ButtonAction(c)->isEnabled())
                << after << ": " << InfoOf(c).ButtonName;
        EXPECT_EQ(std::tuple(window_->TuningMenu()->menuAction()->isVisible(),
                             window_->MenuAction(Command::About)->isVisible(),
                             window_->DiagnosticMenu()->menuAction()->isVisible()),
                  std::tuple(false, false, true))
            << after;
    }
    // Closed: the kind and line decide again.
    reduction->Undo();
    window_->SetDiagnosticMenuVisible(false);
    EXPECT_EQ(std::tuple(window_->ButtonAction(Command::Bootloader)->isEnabled(),
                         window_->ButtonAction(Command::Open)->isEnabled(),
                         window_->TuningMenu()->menuAction()->isVisible(),
                         window_->MenuAction(Command::About)->isVisible(),
                         window_->DiagnosticMenu()->menuAction()->isVisible()),
              std::tuple(true, true, true, true, false));
}

TEST_F(CommandsTest, AlarmButtonAndOscilloscopeToggle) {
    int created = 0, shown = 0;
    ShellFlows flows;
    flows.Windows[QStringLiteral("TFOscillo")] = FakeWindowFlow("TFOscillo", &created);
    flows.MakeStatusPanel = &StatusMonitor::Make;
    flows.ShowAlarmWindow = [&](ShellHost&) { ++shown; };
    Build(flows);
    GoOnline();
    auto& monitor = dynamic_cast<StatusMonitor&>(window_->Panel());
    ASSERT_TRUE(monitor.Panel().BAllarm->isEnabled());
    monitor.Panel().BAllarm->click();
    EXPECT_EQ(shown, 1);
    window_->Run(Command::Oscilloscope);
    EXPECT_TRUE(created == 1 && window_->Driver().Online());
    // What it holds while open is OscilloWindowTest's; open, the command closes it.
    window_->Run(Command::Oscilloscope);
    EXPECT_TRUE(
        WaitFor([&] { return window_->FindChildWindow(QStringLiteral("TFOscillo")) == nullptr; }));
    EXPECT_EQ(created, 1);
    window_.reset(); // before the counters go away
}

TEST_F(CommandsTest, BootloaderAsksWritesLaunchesAndReselects) {
    int selections = 0;
    ShellFlows flows;
    flows.SelectDrive = [&](ShellHost&) { ++selections; };
    Build(flows);
    // Std has no record: the button does nothing at all.
    window_->Run(Command::Bootloader);
    EXPECT_TRUE(messages_.Texts().isEmpty());
    window_->Driver().SelectDeviceKind(DeviceKind::Drive, false);
    // A loader found nowhere is said before anything is asked or written.
    window_->Run(Command::Bootloader);
    EXPECT_TRUE(messages_.Texts().value(0).contains("\"TarnBootLoader\" was found neither"));
    const QString loader = Folder() + QStringLiteral("Bin/TarnBootLoader");
    ASSERT_TRUE(QFile(loader).open(QIODevice::WriteOnly));
    messages_.Clear();
    messages_.ScriptAnswers({false});
    window_->Run(Command::Bootloader);
    EXPECT_TRUE(messages_.Texts() == QStringList({"Activate Bootloader"}) && launched_.isEmpty() &&
                selections == 0);
    messages_.ScriptAnswers({true});
    window_->Run(Command::Bootloader);
    EXPECT_EQ(launched_, QStringList({QFileInfo(loader).absoluteFilePath()}));
    EXPECT_TRUE(selections == 1 && window_->isEnabled());
}

// Every flow is required: the program's are complete, each one left out is named. A link
// selection cancelled after the worker was stopped polls the drive again.
TEST_F(CommandsTest, FlowsAreCompleteCancelledLinkSelectionPollsAgain) {
    ShellFlows flows = ProgramFlows();
    EXPECT_TRUE(MissingFlows(flows).isEmpty()) << MissingFlows(flows).join(' ').toStdString();
    flows.RunTransfer = {};
    flows.Windows.erase(QStringLiteral("TFOscillo"));
    EXPECT_EQ(MissingFlows(flows), QStringList({"RunTransfer", "TFOscillo"}));
    flows = {};
    flows.SelectLinkDirect = [](ShellHost& shell) { shell.Driver().WaitIdle(); }; // Cancel
    Build(flows);
    GoOnline();
    window_->Run(Command::SelectTarnLink);
    EXPECT_EQ(window_->Driver().Mode(), WorkerMode::StatusPoll);
}

TEST(ProgramLaunch, ResolvesInBinThenOnThePathAndStartsTheProgram) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString install = dir.path() + QLatin1Char('/');
    QDir(dir.path()).mkpath(QStringLiteral("Bin"));
    QFile script(install + QStringLiteral("Bin/loader.sh"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\ntouch \"$(dirname \"$0\")/started\"\n");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    const QStringList path{install + QStringLiteral("Bin")};
    EXPECT_EQ(ResolveProgram("loader.sh", QStringLiteral("/nowhere/"), path), script.fileName());
    EXPECT_TRUE(LaunchResolved(ResolveProgram(QStringLiteral("loader.sh"), install, {})));
    EXPECT_TRUE(
        WaitFor([&] { return QFileInfo::exists(install + QStringLiteral("Bin/started")); }, 10000));
}

} // namespace
} // namespace kelm::test
