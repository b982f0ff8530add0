// Command bodies of the main window: drive, EEPROM, tools, settings, about, firmware loader.
#include "ui/shell/Principale.h"

#include "core/config/ConfigurationSet.h"
#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "core/seams/Messages.h"
#include "core/settings/SettingsStore.h"
#include "ui/seams/DialogRunner.h"
#include "ui/shell/AboutBox.h"
#include "ui/shell/ProgramLaunch.h"
#include "ui/shell/StatusPanelView.h"
#include "ui/widgets/TPNumEdit.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QThread>
#include <QTimer>

namespace kelm {

void TFPrincipale::Run(Command command) {
    // A number still being typed counts, as if the field had been left first: "Save to
    // EEPROM" right after typing saves what the field shows.
    TPNumEdit::CommitFocusedEdit();
    switch (command) {
    case Command::Open:
        OpenDeviceFileCommand();
        break;
    case Command::Save:
        SaveCommand();
        break;
    case Command::SaveAs:
        SaveAsCommand();
        break;
    case Command::FileCompare:
        CallWindow(QStringLiteral("TFCompDev"), QStringLiteral("The file comparison"));
        break;
    case Command::Exit:
        close();
        break;
    case Command::UserChange:
        UserChangeCommand();
        break;
    case Command::GeneralSettings:
        GeneralSettingsCommand();
        break;
    case Command::ComPort:
        ComPortCommand(false);
        break;
    case Command::TarnPort:
        ComPortCommand(true);
        break;
    case Command::SelectDrive:
        SelectDrive();
        break;
    case Command::SelectTarnLink:
        SelectTarnLinkCommand();
        break;
    case Command::DriveCompare:
        CallWindow(QStringLiteral("TFCompDevDrive"), QStringLiteral("The drive comparison"));
        break;
    case Command::Enable:
        statusPanel_->PressEnable();
        break;
    case Command::Disable:
        statusPanel_->PressDisable();
        break;
    case Command::MotorPhasing:
        CallWindow(QStringLiteral("MotorPhasing"), QStringLiteral("Motor phasing"));
        break;
    case Command::SpeedOffset:
        CallWindow(QStringLiteral("SpeedOffset"), QStringLiteral("Speed offset tuning"));
        break;
    case Command::TorqueOffset:
        CallWindow(QStringLiteral("TorqueOffset"), QStringLiteral("Torque offset tuning"));
        break;
    case Command::ScopeOpenFile:
        ScopeOpenFileCommand();
        break;
    case Command::About:
        AboutCommand();
        break;
    case Command::DiagnosticView:
        BringToFront(QStringLiteral("TFDiagnostic"));
        break;
    case Command::DiagnosticClose:
        if (QMdiSubWindow* window = FindChildWindow(QStringLiteral("TFDiagnostic")))
            window->close();
        break;
    case Command::SaveEeprom:
        SaveEepromCommand();
        break;
    case Command::LoadEeprom:
        LoadEepromCommand();
        break;
    case Command::LoadDefaults:
        LoadDefaultsCommand();
        break;
    case Command::ResetDrive:
        ResetDriveCommand();
        break;
    case Command::Diagnostic:
        DiagnosticCommand();
        break;
    case Command::ProfileTool:
        ProfileCommand();
        break;
    case Command::Oscilloscope:
        OscilloscopeCommand();
        break;
    case Command::Bootloader:
        BootloaderCommand();
        break;
    case Command::NewTable:
        driver_->ActiveTable().ResetValuesToDefault();
        children_.NotifyTableChanged();
        break;
    case Command::Count:
        break;
    }
}

void TFPrincipale::NotThereYet(const QString& what) {
    ShowInfo(what + QStringLiteral(" window is not there yet."));
}

bool TFPrincipale::CallWindow(const QString& name, const QString& what) {
    const auto it = flows_.Windows.find(name);
    if (it == flows_.Windows.end() || !it->second) {
        NotThereYet(what);
        return false;
    }
    it->second(*this);
    return true;
}

// --- drive selection ----------------------------------------------------------------------

void TFPrincipale::SelectDrive() {
    if (!driver_)
        return;
    if (flows_.SelectDrive)
        flows_.SelectDrive(*this);
    else
        FallbackSelectDrive();
    ResumeStatusPoll();
}

void TFPrincipale::ResumeStatusPoll() {
    if (driver_->Online() && driver_->ModeLetter() == 0)
        driver_->SetMode('I');
}

// Until the selection dialog is installed: the "Standard" choice with the dialog's initial
// number 1 (or the number shown in the status bar), without asking.
void TFPrincipale::FallbackSelectDrive() {
    driver_->WaitIdle();
    std::uint8_t address = 1;
    bool ok = false;
    const int shown = StatusPanelText(StatusPanel::DeviceId).toInt(&ok);
    if (ok && driver_->CurrentKind() == DeviceKind::Std && shown >= 0 && shown <= 255)
        address = static_cast<std::uint8_t>(shown);
    if (driver_->CurrentKind() != DeviceKind::Std) {
        master_->ClosePort();
        driver_->SelectDeviceKind(DeviceKind::Std, false);
    }
    master_->DeviceAddress = address;
    if (!(master_->IsPortOpen() && master_->GetPort() == settings_->ComPort))
        master_->OpenPort(settings_->ComPort, static_cast<std::uint32_t>(settings_->BaudRate),
                          false, settings_->Parity);
    SetFileDialogsForDevice();
    ReloadFromDrive();
}

void TFPrincipale::ReloadFromDrive() {
    if (!driver_)
        return;
    driver_->SetOnline(master_->IsLinkReady());
    if (driver_->Online()) {
        CloseChildWindows(false, true);
        RunTransfer('R');
    }
    ConfigureForDevice();
    children_.NotifyTableChanged();
}

void TFPrincipale::RunTransfer(char mode) {
    if (flows_.RunTransfer)
        flows_.RunTransfer(*this, mode);
    else
        FallbackTransfer(mode);
}

// Until the progress dialog is installed: the same transfer with the window's input
// blocked, waiting by processing events.
void TFPrincipale::FallbackTransfer(char mode) {
    bool done = false;
    const auto onDone = [this, mode, &done] {
        if (mode == 'R') {
            driver_->CurrentFileName.clear();
            ShowDeviceFileName();
        }
        done = true;
    };
    switch (mode) {
    case 'R':
        driver_->StartRead('D', {}, onDone);
        break;
    case 'W':
        driver_->StartWrite('D', {}, onDone);
        break;
    case 'P':
        driver_->StartRead('P', {}, onDone);
        break;
    case 'p':
        driver_->StartWrite('P', {}, onDone);
        break;
    case 'O':
        driver_->StartRead('O', {}, onDone);
        break;
    default:
        return;
    }
    setEnabled(false);
    QDeadlineTimer deadline(120000);
    while (!done && driver_->Online() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        QThread::msleep(2);
    }
    setEnabled(true);
}

void TFPrincipale::SelectTarnLinkCommand() {
    if (flows_.SelectLinkDirect) {
        flows_.SelectLinkDirect(*this);
        ResumeStatusPoll();
        return;
    }
    driver_->WaitIdle();
    if (!driver_->Online() || !master_->IsLinkReady()) {
        int baud = 0;
        if (const ParamEntry* entry =
                driver_->Config().KindTable(DeviceKind::Power).FindByAddress(5))
            baud = entry->DefaultValue * 100;
        // Before any selection the master has no port yet: the configured one.
        const std::uint8_t port = master_->GetPort() != 0 ? master_->GetPort() : settings_->ComPort;
        master_->OpenPort(port, static_cast<std::uint32_t>(baud), true, 0);
        driver_->SetOnline(master_->IsLinkReady());
    }
    if (master_->IsPortOpen())
        linkSelectPort_ = master_->GetPort();
    SelectDrive();
}

// --- EEPROM and reset ---------------------------------------------------------------------

void TFPrincipale::SaveEepromCommand() {
    if (!AskConfirm(QStringLiteral("Save actual data to EEPROM?")))
        return;
    if (driver_->EepromCommand(2, false, TDriver::CmdSaveEeprom))
        ShowInfo(QStringLiteral("Data Saved !"));
}

void TFPrincipale::LoadEepromCommand() {
    if (!AskConfirm(QStringLiteral("Reload data from EEPROM ?")))
        return;
    if (driver_->EepromCommand(0, false, TDriver::CmdReloadEeprom))
        ReloadFromDrive();
}

void TFPrincipale::LoadDefaultsCommand() {
    if (!AskConfirm(QStringLiteral("Load Default Data ?")))
        return;
    if (driver_->EepromCommand(0, true, TDriver::CmdLoadDefaults))
        ReloadFromDrive();
}

void TFPrincipale::ResetDriveCommand() {
    if (!AskConfirm(QStringLiteral("Reset Drive ?")))
        return;
    if (driver_->ResetDrive())
        ShowInfo(QStringLiteral("Reset Executed !"));
    else
        ShowInfo(QStringLiteral("Rest Operation Fail !"));
}

// --- tools --------------------------------------------------------------------------------

void TFPrincipale::DiagnosticCommand() {
    if (BringToFront(QStringLiteral("TFDiagnostic")))
        return;
    if (!driver_->Online()) {
        ShowError(QStringLiteral("Off Line !"));
        return;
    }
    CloseChildWindows(true, false);
    CallWindow(QStringLiteral("TFDiagnostic"), QStringLiteral("The diagnostic"));
}

void TFPrincipale::ProfileCommand() {
    if (BringToFront(QStringLiteral("TFProfile")))
        return;
    RunTransfer('P');
    ConfigureForDevice();
    if (driver_->Online())
        CallWindow(QStringLiteral("TFProfile"), QStringLiteral("The profile editor"));
}

void TFPrincipale::OscilloscopeCommand() {
    if (QMdiSubWindow* window = FindChildWindow(QStringLiteral("TFOscillo"))) {
        window->close();
        QTimer::singleShot(0, this, [this] {
            if (driver_)
                ApplyCommandStates();
        });
        return;
    }
    if (!driver_->Online())
        return;
    RunTransfer('O');
    ConfigureForDevice();
    if (!driver_->Online() ||
        !CallWindow(QStringLiteral("TFOscillo"), QStringLiteral("The oscilloscope")))
        return;
    // Profile and diagnostic stay disabled while the oscilloscope is open.
    ApplyCommandStates();
    if (QMdiSubWindow* window = FindChildWindow(QStringLiteral("TFOscillo")))
        connect(window, &QObject::destroyed, this, [this] {
            // The frame lets go of the sub-window after this signal: look again later.
            QTimer::singleShot(0, this, [this] {
                if (driver_)
                    ApplyCommandStates();
            });
        });
}

void TFPrincipale::GeneralSettingsCommand() {
    if (CallWindow(QStringLiteral("TFGenInfo"), QStringLiteral("The general settings")))
        driver_->WriteChangedParams();
}

void TFPrincipale::ComPortCommand(bool linkPort) {
    if (!flows_.ComSettings) {
        NotThereYet(QStringLiteral("The port settings"));
        return;
    }
    if (flows_.ComSettings(*this, linkPort) && !linkPort)
        SetStatusPanelText(StatusPanel::ComPort,
                           QStringLiteral(" Com") + QString::number(settings_->ComPort));
}

void TFPrincipale::UserChangeCommand() {
    if (flows_.UserChange)
        flows_.UserChange(*this);
    else
        NotThereYet(QStringLiteral("The user"));
}

void TFPrincipale::ScopeOpenFileCommand() {
    FileDialogRequest request;
    request.Filter = QStringLiteral("Show File (*.kls)");
    request.DefaultExtension = QStringLiteral("kls");
    request.InitialDir = scopeFolder_;
    if (!Dialogs().GetOpenFileName(this, request))
        return;
    scopeFolder_ = QFileInfo(request.FileName).absolutePath() + QLatin1Char('/');
    if (flows_.OpenTraceViewer)
        flows_.OpenTraceViewer(*this, request.FileName);
    else
        NotThereYet(QStringLiteral("The stored trace viewer"));
}

void TFPrincipale::AboutCommand() {
    AboutBox box(this);
    Dialogs().Exec(box);
}

// --- firmware loader ----------------------------------------------------------------------

void TFPrincipale::ProcessEventsFor(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

void TFPrincipale::BootloaderCommand() {
    const BootloaderRecord* record = driver_->Config().CurrentBootloader();
    if (record == nullptr || record->First == 0 || record->Second == 0 || record->Text.isEmpty())
        return;
    // The loader must be there before the drive is told to wait for it.
    const QString loader = ResolveProgram(record->Text, settings_->InstallFolder);
    if (loader.isEmpty()) {
        ShowError(QStringLiteral("The firmware loader \"%1\" was found neither in %2 nor on "
                                 "the PATH.\rThe drive was not switched to its bootloader.")
                      .arg(record->Text, settings_->InstallFolder + QStringLiteral("Bin/")));
        return;
    }
    if (!AskConfirm(QStringLiteral("Activate Bootloader")))
        return;
    driver_->WaitIdle();
    // The result is not examined: the loader is started even when the drive did not answer.
    driver_->WriteReg(record->First, record->Second, true, 100, nullptr);
    setEnabled(false);
    const bool started =
        options_.OpenExternal ? options_.OpenExternal(loader) : LaunchResolved(loader);
    statusBar()->showMessage(started ? QStringLiteral("Firmware loader %1 started; waiting for "
                                                      "the drive...")
                                           .arg(QFileInfo(loader).fileName())
                                     : QStringLiteral("The firmware loader could not be started."));
    ProcessEventsFor(options_.BootPauseMs);
    statusBar()->clearMessage();
    setEnabled(true);
    if (!started)
        ShowError(QStringLiteral("The firmware loader could not be started:\r") + loader);
    SelectDrive();
}

} // namespace kelm
