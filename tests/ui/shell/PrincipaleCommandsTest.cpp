#include "ShellFixture.h"

#include "app/InstallFlows.h"
#include "core/drive/KindRegisters.h"
#include "core/link/ModbusMaster.h"
#include "ui/diagnostic/MainWindowReduction.h"
#include "ui/shell/LastScopeRecord.h"
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

class CommandsTest : public ShellFixture {
protected:
    // Writes a new value of register 12, as a page does.
    void WriteSetting() {
        ParamEntry* entry = window_->Driver().ActiveTable().FindByAddress(12);
        entry->Value = static_cast<std::int16_t>(entry->DriveValue + 1);
        ASSERT_TRUE(window_->Driver().WriteParams({12}));
    }
    bool Shows(const QString& text) {
        return WaitFor([&] { return window_->UnsavedText() == text; }, 5000);
    }
    int SaveCommands() {
        int count = 0;
        for (const sim::ExchangeRecord& r : Records())
            count += (r.function == 6 || r.function == 16) &&
                     r.firstRegister == RegistersOf(DeviceKind::Std).Command;
        return count;
    }
};

TEST_F(CommandsTest, ReloadDefaultsEepromAndResetAskAndReport) {
    Build();
    GoOnline();
    ParamEntry* entry = window_->Driver().ActiveTable().FindByAddress(12);
    // A stale table value gives way to the drive's after the reload.
    entry->DriveValue = entry->Value = 99;
    EXPECT_EQ(std::tuple(RunAnswering(Command::LoadEeprom, {true}).value(0), entry->DriveValue,
                         window_->StatusPanelText(StatusPanel::LineState)),
              std::tuple(QString("Reload data from EEPROM ?"),
                         static_cast<std::int16_t>(SimRegister(1, 12)), QString("On Line")));
    EXPECT_EQ(RunAnswering(Command::LoadDefaults, {true}), QStringList({"Load Default Data ?"}));
    EXPECT_EQ(entry->DriveValue, entry->DefaultValue);
    // Asked first; No sends nothing; Yes reports success, or the drive's refusal.
    const std::tuple<Command, QString, QString, QString> rows[] = {
        {Command::SaveEeprom, "Save actual data to EEPROM?", "Data Saved !",
         "Device not perform\rEEPROM operation!"},
        {Command::ResetDrive, "Reset Drive ?", "Reset Executed !", "Rest Operation Fail !"}};
    for (const auto& [command, question, done, failed] : rows) {
        Control(QStringLiteral("cmdfault * off"));
        RunAnswering(command, {false, true});
        window_->Run(command);
        EXPECT_EQ(messages_.Texts(), QStringList({question, question, done}));
        EXPECT_TRUE(window_->Driver().Online() &&
                    window_->Driver().Mode() == WorkerMode::StatusPoll);
        Control(QStringLiteral("cmdfault * on"));
        const QStringList said = RunAnswering(command, {true});
        EXPECT_TRUE(said.value(0) == question && said.contains(failed) && !said.contains(done))
            << said.join('|').toStdString();
    }
}

// The status bar counts the writes (from the worker's thread too) and clears at a table read.
// Select Drive and closing ask first: Cancel stays, No goes on unsaved, Yes saves and goes on.
TEST_F(CommandsTest, EepromReminderCountsWritesAndAsksBeforeSelectingOrClosing) {
    Build();
    GoOnline();
    EXPECT_TRUE(window_->UnsavedText().isEmpty());
    WriteSetting();
    WriteSetting();
    EXPECT_TRUE(Shows("Not saved to EEPROM (2)"));
    window_->ReloadFromDrive();
    EXPECT_TRUE(Shows(QString()));
    WriteSetting();
    const int selections = Executed("kelm::TFSelectDriver");
    ClearRecords();
    messages_.ScriptChoices({MessageAnswer::Cancel, MessageAnswer::No});
    window_->Run(Command::SelectDrive);
    EXPECT_EQ(Executed("kelm::TFSelectDriver"), selections);
    SelectWith(EnterNumber(QStringLiteral("1")));
    EXPECT_EQ(std::tuple(Executed("kelm::TFSelectDriver"), SaveCommands()),
              std::tuple(selections + 1, 0));
    WriteSetting();
    bool shutDown = false;
    QObject::connect(window_.get(), &TFPrincipale::ShutDown, [&] { shutDown = true; });
    messages_.ScriptChoices({MessageAnswer::Cancel, MessageAnswer::Yes});
    window_->close();
    EXPECT_TRUE(!shutDown && window_->Driver().Online() && SaveCommands() == 0);
    window_->close();
    EXPECT_TRUE(shutDown && SaveCommands() == 1);
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
    const auto menus = [this] {
        return std::tuple(window_->TuningMenu()->menuAction()->isVisible(),
                          window_->MenuAction(Command::About)->isVisible(),
                          window_->DiagnosticMenu()->menuAction()->isVisible());
    };
    for (const bool granted : {false, true}) { // and once the command states are recomputed
        if (granted)
            window_->SetSaveEnabled(true);
        for (Command c : reduced)
            EXPECT_FALSE(window_->ButtonAction(c)->isEnabled())
                << granted << ": " << InfoOf(c).ButtonName;
        EXPECT_EQ(menus(), std::tuple(false, false, true)) << granted;
    }
    // Closed: the kind and line decide again.
    reduction->Undo();
    window_->SetDiagnosticMenuVisible(false);
    EXPECT_EQ(std::tuple(window_->ButtonAction(Command::Bootloader)->isEnabled(),
                         window_->ButtonAction(Command::Open)->isEnabled(), menus()),
              std::tuple(true, true, std::tuple(true, true, false)));
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
    Build(CountingSelections());
    // Std has no record: the button does nothing at all.
    window_->Run(Command::Bootloader);
    EXPECT_TRUE(messages_.Texts().isEmpty());
    window_->Driver().SelectDeviceKind(DeviceKind::Drive, false);
    // A loader found nowhere is said before anything is asked or written.
    window_->Run(Command::Bootloader);
    EXPECT_TRUE(messages_.Texts().value(0).contains("\"TarnBootLoader\" was found neither"));
    const QString loader = Folder() + QStringLiteral("Bin/TarnBootLoader");
    ASSERT_TRUE(QFile(loader).open(QIODevice::WriteOnly));
    EXPECT_TRUE(RunAnswering(Command::Bootloader, {false}) ==
                    QStringList({"Activate Bootloader"}) &&
                launched_.isEmpty() && selections_ == 0);
    messages_.ScriptAnswers({true});
    window_->Run(Command::Bootloader);
    EXPECT_EQ(launched_, QStringList({QFileInfo(loader).absoluteFilePath()}));
    EXPECT_TRUE(selections_ == 1 && window_->isEnabled());
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

// File > Commissioning Report: enabled on line, asks for the name through the dialog seam and
// writes the PDF with the last oscilloscope record when it was taken on the unit in use.
TEST_F(CommandsTest, ReportWritesThePdfWithThisUnitsScopeRecord) {
    Build();
    QAction* item = window_->MenuAction(Command::Report);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(std::tuple(item->text(), item->isEnabled()),
              std::tuple(QString::fromUtf8("Commissioning &Report\u2026"), false));
    GoOnline();
    EXPECT_TRUE(item->isEnabled());
    ScopeSnapshot scope{DeviceKind::Std, 0, QImage(64, 32, QImage::Format_RGB32), {}};
    scope.Picture.fill(Qt::darkGreen);
    const int unit = window_->Master().UnitAddress();
    for (const auto& [address, name] : {std::pair(unit + 1, "other.pdf"), {unit, "this.pdf"}}) {
        scope.Address = address;
        window_->ScopeRecordHolder()->Publish(scope);
        dialogs_->AnswerNextFile(Folder() + name);
        item->trigger();
        EXPECT_EQ(std::tuple(dialogs_->Files().back().Save,
                             dialogs_->Files().back().Request.DefaultExtension),
                  std::tuple(true, QString("pdf")));
        QFile pdf(Folder() + name);
        ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << name;
        const QByteArray bytes = pdf.readAll();
        // The picture is embedded only for the unit it was taken on.
        EXPECT_EQ(std::tuple(bytes.startsWith("%PDF"), bytes.contains("/Subtype /Image")),
                  std::tuple(true, address == unit))
            << name;
    }
    EXPECT_TRUE(messages_.Texts().isEmpty()) << messages_.Texts().join('|').toStdString();
    dialogs_->AnswerNextFile(QString()); // Cancel writes nothing
    item->trigger();
    EXPECT_EQ(QDir(Folder()).entryList({"*.pdf"}).size(), 2);
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
