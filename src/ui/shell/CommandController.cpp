// Command bodies of the main window: drive, EEPROM, tools, settings, about, firmware loader.
#include "ui/shell/CommandController.h"

#include "core/config/ConfigurationSet.h"
#include "core/drive/TDriver.h"
#include "core/files/DeviceFile.h"
#include "core/link/ModbusMaster.h"
#include "core/seams/Messages.h"
#include "core/settings/SettingsStore.h"
#include "ui/seams/DialogRunner.h"
#include "ui/shell/AboutBox.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ProgramLaunch.h"
#include "ui/shell/ProgramSession.h"
#include "ui/shell/ShellFlows.h"
#include "ui/shell/StatusPanelView.h"
#include "ui/widgets/TPNumEdit.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QThread>
#include <QTimer>
#include <utility>

namespace kelm {
namespace {

const QString diagnosticName = QStringLiteral("TFDiagnostic");
const QString scopeName = QStringLiteral("TFOscillo");

// Waits this long with every event processed (the firmware loader's start).
void ProcessEventsFor(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

} // namespace

QMdiSubWindow* FindSubWindow(const QMdiArea& frame, const QString& name) {
    for (QMdiSubWindow* window : frame.subWindowList())
        if (window->widget() != nullptr && window->widget()->objectName() == name)
            return window;
    return nullptr;
}

bool BringSubWindowToFront(QMdiArea& frame, const QString& name) {
    QMdiSubWindow* window = FindSubWindow(frame, name);
    if (window == nullptr)
        return false;
    if (window->isMinimized())
        window->showNormal();
    frame.setActiveSubWindow(window);
    window->raise();
    window->setFocus();
    return true;
}

CommandController::CommandController(ProgramSession& session, CommandSurface& window,
                                     const ShellFlows& flows, CommandOptions options)
    : session_(session), window_(window), flows_(flows), options_(std::move(options)),
      fileFilter_(DeviceFileFilters().join(QStringLiteral(";;"))) {}

void CommandController::Run(Command command) {
    // A number still being typed counts, as if the field had been left first: "Save to
    // EEPROM" right after typing saves what the field shows.
    TPNumEdit::CommitFocusedEdit();
    switch (command) {
    case Command::Open:
        OpenDeviceFile();
        break;
    case Command::Save:
        Save();
        break;
    case Command::SaveAs:
        SaveAs();
        break;
    case Command::FileCompare:
        OpenWindow(QStringLiteral("TFCompDev"));
        break;
    case Command::Report:
        WriteReport();
        break;
    case Command::Exit:
        window_.Window()->close();
        break;
    case Command::UserChange:
        flows_.UserChange(window_);
        break;
    case Command::GeneralSettings:
        GeneralSettings();
        break;
    case Command::ComPort:
        ComPort(false);
        break;
    case Command::TarnPort:
        ComPort(true);
        break;
    case Command::SelectDrive:
        SelectDrive();
        break;
    case Command::SelectTarnLink:
        SelectTarnLink();
        break;
    case Command::DriveCompare:
        OpenWindow(QStringLiteral("TFCompDevDrive"));
        break;
    case Command::Enable:
        window_.Panel().PressEnable();
        break;
    case Command::Disable:
        window_.Panel().PressDisable();
        break;
    case Command::MotorPhasing:
        OpenWindow(QStringLiteral("MotorPhasing"));
        break;
    case Command::SpeedOffset:
        OpenWindow(QStringLiteral("SpeedOffset"));
        break;
    case Command::TorqueOffset:
        OpenWindow(QStringLiteral("TorqueOffset"));
        break;
    case Command::ScopeOpenFile:
        ScopeOpenFile();
        break;
    case Command::About:
        About();
        break;
    case Command::DiagnosticView:
        BringSubWindowToFront(*window_.Frame(), diagnosticName);
        break;
    case Command::DiagnosticClose:
        if (QMdiSubWindow* window = FindSubWindow(*window_.Frame(), diagnosticName))
            window->close();
        break;
    case Command::SaveEeprom:
        SaveEeprom();
        break;
    case Command::LoadEeprom:
        LoadEeprom();
        break;
    case Command::LoadDefaults:
        LoadDefaults();
        break;
    case Command::ResetDrive:
        ResetDrive();
        break;
    case Command::Diagnostic:
        Diagnostic();
        break;
    case Command::ProfileTool:
        Profile();
        break;
    case Command::Oscilloscope:
        Oscilloscope();
        break;
    case Command::Bootloader:
        Bootloader();
        break;
    case Command::NewTable:
        session_.Driver().ActiveTable().ResetValuesToDefault();
        window_.Children().NotifyTableChanged();
        break;
    case Command::Count:
        break;
    }
}

void CommandController::OpenWindow(const QString& name) {
    // The main window is built only with every entry present (MissingFlows).
    const auto it = flows_.Windows.find(name);
    if (it != flows_.Windows.end() && it->second)
        it->second(window_);
}

// --- drive selection ----------------------------------------------------------------------

void CommandController::SelectDrive() {
    // The table read after the selection starts the count again: the offer comes first.
    if (OfferEepromSave())
        RunSelection();
}

void CommandController::RunSelection() {
    flows_.SelectDrive(window_);
    ResumeStatusPoll();
}

void CommandController::SelectTarnLink() {
    if (!OfferEepromSave())
        return;
    flows_.SelectLinkDirect(window_);
    ResumeStatusPoll();
}

bool CommandController::OfferEepromSave() {
    TDriver& driver = session_.Driver();
    const int count = session_.Unsaved().Count();
    // Off line nothing can be saved, and nothing is lost by going on.
    if (count == 0 || !driver.Online())
        return true;
    const MessageAnswer answer = AskConfirmOrCancel(
        QStringLiteral("%1 parameter changes are not saved to EEPROM.\rSave actual data to "
                       "EEPROM first?")
            .arg(count));
    if (answer != MessageAnswer::Yes)
        return answer == MessageAnswer::No;
    // A failed save has said why; the user stays to decide again.
    if (!driver.EepromCommand(TDriver::CmdSaveEeprom, {.Pages = true}))
        return false;
    session_.Unsaved().On(UnsavedChanges::Event::SavedToEeprom);
    return true;
}

void CommandController::ResumeStatusPoll() {
    TDriver& driver = session_.Driver();
    if (driver.Online() && driver.Mode() == WorkerMode::Idle)
        driver.SetMode(WorkerMode::StatusPoll);
}

void CommandController::ReloadFromDrive() {
    TDriver& driver = session_.Driver();
    driver.SetOnline(session_.Master().IsLinkReady());
    if (driver.Online()) {
        window_.CloseChildWindows({.Profile = true});
        RunTransfer(ProgressMode::ReadTable);
        // A read that reached its end leaves the drive on line: the table is the drive's.
        if (driver.Online())
            session_.Unsaved().On(UnsavedChanges::Event::TableRead);
    }
    window_.ConfigureForDevice();
    window_.Children().NotifyTableChanged();
}

void CommandController::RunTransfer(ProgressMode mode) {
    flows_.RunTransfer(window_, mode);
}

// --- EEPROM and reset ---------------------------------------------------------------------

void CommandController::SaveEeprom() {
    if (!AskConfirm(QStringLiteral("Save actual data to EEPROM?")))
        return;
    if (session_.Driver().EepromCommand(TDriver::CmdSaveEeprom, {.Pages = true})) {
        session_.Unsaved().On(UnsavedChanges::Event::SavedToEeprom);
        ShowInfo(QStringLiteral("Data Saved !"));
    }
}

void CommandController::LoadEeprom() {
    if (!AskConfirm(QStringLiteral("Reload data from EEPROM ?")))
        return;
    if (session_.Driver().EepromCommand(TDriver::CmdReloadEeprom, {})) {
        session_.Unsaved().On(UnsavedChanges::Event::LoadedFromEeprom);
        ReloadFromDrive();
    }
}

void CommandController::LoadDefaults() {
    if (!AskConfirm(QStringLiteral("Load Default Data ?")))
        return;
    if (session_.Driver().EepromCommand(TDriver::CmdLoadDefaults, {.Profile = true}))
        ReloadFromDrive();
}

void CommandController::ResetDrive() {
    if (!AskConfirm(QStringLiteral("Reset Drive ?")))
        return;
    if (session_.Driver().ResetDrive())
        ShowInfo(QStringLiteral("Reset Executed !"));
    else
        ShowInfo(QStringLiteral("Rest Operation Fail !"));
}

// --- tools --------------------------------------------------------------------------------

void CommandController::Diagnostic() {
    if (BringSubWindowToFront(*window_.Frame(), diagnosticName))
        return;
    if (!session_.Driver().Online()) {
        ShowError(QStringLiteral("Off Line !"));
        return;
    }
    window_.CloseChildWindows({.Pages = true});
    OpenWindow(diagnosticName);
}

void CommandController::Profile() {
    if (BringSubWindowToFront(*window_.Frame(), QStringLiteral("TFProfile")))
        return;
    RunTransfer(ProgressMode::ReadProfiles);
    window_.ConfigureForDevice();
    if (session_.Driver().Online())
        OpenWindow(QStringLiteral("TFProfile"));
}

void CommandController::Oscilloscope() {
    ProgramSession* session = &session_;
    // The frame lets go of a closed sub-window only later: the rules look again then.
    const auto lookAgainLater = [session] {
        QTimer::singleShot(0, session, [session] { session->NotifyChanged(); });
    };
    if (QMdiSubWindow* window = FindSubWindow(*window_.Frame(), scopeName)) {
        window->close();
        lookAgainLater();
        return;
    }
    if (!session_.Driver().Online())
        return;
    RunTransfer(ProgressMode::ReadScopeSettings);
    window_.ConfigureForDevice();
    if (!session_.Driver().Online())
        return;
    OpenWindow(scopeName);
    // Profile and diagnostic stay disabled while the oscilloscope is open.
    session_.NotifyChanged();
    if (QMdiSubWindow* window = FindSubWindow(*window_.Frame(), scopeName))
        QObject::connect(window, &QObject::destroyed, session, lookAgainLater);
}

void CommandController::GeneralSettings() {
    // The dialog writes its own edits; nothing else of the table goes with it.
    OpenWindow(QStringLiteral("TFGenInfo"));
}

void CommandController::ComPort(bool linkPort) {
    // Panel 3 shows the main port: it follows a change of it.
    if (flows_.ComSettings(window_, linkPort) && !linkPort)
        session_.NotifyChanged();
}

void CommandController::ScopeOpenFile() {
    FileDialogRequest request;
    request.Filter = QStringLiteral("Show File (*.kls)");
    request.DefaultExtension = QStringLiteral("kls");
    request.InitialDir = ScopeDialogFolder();
    if (!Dialogs().GetOpenFileName(window_.Window(), request))
        return;
    SetScopeDialogFolder(QFileInfo(request.FileName).absolutePath() + QLatin1Char('/'));
    flows_.OpenTraceViewer(window_, request.FileName);
}

QString CommandController::ScopeDialogFolder() const {
    return session_.Settings().ScopeFolder;
}

void CommandController::SetScopeDialogFolder(const QString& folder) {
    session_.Settings().ScopeFolder = folder;
}

void CommandController::About() {
    AboutBox box(window_.Window());
    Dialogs().Exec(box);
}

// --- firmware loader ----------------------------------------------------------------------

void CommandController::Bootloader() {
    TDriver& driver = session_.Driver();
    const QString installFolder = session_.Settings().InstallFolder;
    const BootloaderRecord* record = driver.Config().CurrentBootloader();
    if (record == nullptr || record->First == 0 || record->Second == 0 || record->Text.isEmpty())
        return;
    // The loader must be there before the drive is told to wait for it.
    const QString loader = ResolveProgram(record->Text, installFolder);
    if (loader.isEmpty()) {
        ShowError(QStringLiteral("The firmware loader \"%1\" was found neither in %2 nor on "
                                 "the PATH.\rThe drive was not switched to its bootloader.")
                      .arg(record->Text, installFolder + QStringLiteral("Bin/")));
        return;
    }
    if (!AskConfirm(QStringLiteral("Activate Bootloader")))
        return;
    driver.WaitIdle();
    // The result is not examined: the loader is started even when the drive did not answer.
    driver.WriteReg(record->First, record->Second, true, 100, nullptr);
    QWidget* main = window_.Window();
    main->setEnabled(false);
    const bool started =
        options_.OpenExternal ? options_.OpenExternal(loader) : LaunchResolved(loader);
    window_.ShowStatusMessage(
        started ? QStringLiteral("Firmware loader %1 started; waiting for the drive...")
                      .arg(QFileInfo(loader).fileName())
                : QStringLiteral("The firmware loader could not be started."));
    ProcessEventsFor(options_.BootPauseMs);
    window_.ShowStatusMessage({});
    main->setEnabled(true);
    if (!started)
        ShowError(QStringLiteral("The firmware loader could not be started:\r") + loader);
    // The drive went to its bootloader: there is nothing left to save.
    RunSelection();
}

} // namespace kelm
