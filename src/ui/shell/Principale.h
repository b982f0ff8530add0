#pragma once

#include "core/drive/DriverHost.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/CommandRules.h"
#include "ui/shell/ShellFlows.h"
#include "ui/shell/ShellHost.h"

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPushButton;
class QTimer;
class QToolBar;

namespace kelm {

class ModbusMaster;
class SerialChannel;
class SettingsStore;
class SynchronizedCaller;
class StatusPanelView;
class TDriver;

// How the program (or a test) builds the main window.
struct PrincipaleOptions {
    QString ExecutableFolder; // empty: the running program's folder
    QString SettingsFile;     // empty: the per-user settings file
    QStringList Arguments;    // the command line, program path first
    // The serial channel under the master; empty: the POSIX serial port.
    std::function<std::unique_ptr<SerialChannel>()> MakeChannel;
    // Starts the resolved firmware loader (its full path); empty: LaunchResolved.
    std::function<bool(const QString& path)> OpenExternal;
    // Milliseconds of the start timer and of the pause after launching the firmware loader.
    int StartDelayMs = 200;
    int BootPauseMs = 2000;
};

// The main window: a multiple-document frame with the menus, the toolbar, the right-hand
// status panel and the 10-panel status bar. It owns the settings store, the drive model
// and the serial master, and carries out every command of the program's command table.
class TFPrincipale final : public QMainWindow, public DriverHost, public ShellHost {
    Q_OBJECT
public:
    TFPrincipale(ShellFlows flows, PrincipaleOptions options, QWidget* parent = nullptr);
    ~TFPrincipale() override;

    static constexpr const char* Caption = "Kelm Servo Drive";

    // --- DriverHost ---------------------------------------------------------------------
    void RunSynchronized(const std::function<void()>& fn) override;
    void ConfigureForDevice() override;
    void CloseChildWindows(std::uint8_t flag1, bool flag2) override;
    void StartPauseTimer(int intervalMs) override;
    void StopPauseTimer() override;
    void ProcessEvents() override;

    // --- ShellHost ----------------------------------------------------------------------
    QWidget* Window() override { return this; }
    QMdiArea* Frame() override { return frame_; }
    TDriver& Driver() override { return *driver_; }
    ModbusMaster& Master() override { return *master_; }
    SettingsStore& Settings() override { return *settings_; }
    ChildWindows& Children() override { return children_; }
    QString StatusPanelText(int panel) const override;
    void SetStatusPanelText(int panel, const QString& text) override;
    void ShowDeviceFileName() override;
    bool IsExpert() const override;
    void SetFileDialogsForDevice() override;
    void ReloadFromDrive() override;
    void CloseChildWindows(bool closePages, bool closeProfile) override;
    void ApplyUserLevel() override;
    void UpdateAlarmIndicator(bool alarm) override;
    void StatusRefresh() override;
    void SelectDrive() override;
    void SetSaveEnabled(bool enabled) override;
    void SetCompareOpen(bool open, bool fileMode = false) override;
    void SetOscilloscopeOpen(bool open) override;
    void SetDiagnosticMenuVisible(bool visible) override;
    int LinkSelectPort() const override { return linkSelectPort_; }
    void SetLinkSelectPort(int comNumber) override { linkSelectPort_ = comNumber; }
    bool MenuLocked() const override { return menuLocked_; }
    void SetMenuLocked(bool locked) override;
    void HoldDriveRequests(bool held) override;
    void ServicePendingRequests() override;
    void HoldAlarmButton(bool held) override;
    void PollStatusNow() override;
    // Drive > "Guided Setup" (on line, kinds with motor and loop pages).
    QAction* GuidedSetupAction() const { return guidedSetup_; }

    // --- commands (public so that tests and other windows can run them) -----------------
    void Run(Command command);
    QAction* MenuAction(Command command) const;   // nullptr when the command has no item
    QAction* ButtonAction(Command command) const; // nullptr when it has no toolbar button
    // The command state as the window shows it (the menu item's, else the button's).
    CommandState StateOf(Command command) const;
    QMenu* DriveMenu() const { return driveMenu_; }
    QMenu* TuningMenu() const { return tuningMenu_; }
    QMenu* DiagnosticMenu() const { return diagnosticMenu_; }

    // Open / Save / Save As of device parameter files and the save offer before Open.
    void OpenDeviceFileCommand();
    void SaveCommand();
    void SaveAsCommand();
    void PromptSaveCurrent();
    // Default extension ("dev") and 1-based filter index of the parameter-file dialogs.
    QString DeviceDialogExtension() const { return deviceExtension_; }
    int DeviceDialogFilterIndex() const { return deviceFilterIndex_; }
    QString ScopeDialogFolder() const { return scopeFolder_; }
    void SetScopeDialogFolder(const QString& folder) { scopeFolder_ = folder; }

    // The right-hand panel: caption bar PViewInfo and the panel content.
    QString ViewInfoCaption() const;
    void ViewInfoClick();
    bool StatusPanelShown() const;
    StatusPanelView& Panel() { return *statusPanel_; }

    // The sub-window of the frame whose widget has this objectName; nullptr when none.
    QMdiSubWindow* FindChildWindow(const QString& name) const;
    bool BringToFront(const QString& name);

    // True once the start timer has run (the first Select Drive was started).
    bool Started() const { return started_; }

signals:
    // The close sequence is complete (the drive model and the settings are gone).
    void ShutDown();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildStatusBar();
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void BuildRightPanel();
    QAction* AddAction(Command command, bool button);
    CommandInputs GatherInputs() const;
    // Enabled/visible/captions of every command from the current state.
    void ApplyCommandStates();
    void FirstShow();
    void StartTimerFired();
    void Shutdown();

    // Command bodies.
    void NotThereYet(const QString& what);
    bool CallWindow(const QString& name, const QString& what);
    void SaveEepromCommand();
    void LoadEepromCommand();
    void LoadDefaultsCommand();
    void ResetDriveCommand();
    void DiagnosticCommand();
    void ProfileCommand();
    void OscilloscopeCommand();
    void GeneralSettingsCommand();
    void ComPortCommand(bool linkPort);
    void SelectTarnLinkCommand();
    void ScopeOpenFileCommand();
    void AboutCommand();
    void UserChangeCommand();
    void BootloaderCommand();
    void RunTransfer(char mode);
    void FallbackTransfer(char mode);
    void FallbackSelectDrive();
    void ProcessEventsFor(int ms);
    // After a selection that read nothing (cancelled): a drive still on line is polled
    // again, so the status panel keeps up with what the status bar says.
    void ResumeStatusPoll();

    ShellFlows flows_;
    PrincipaleOptions options_;
    std::unique_ptr<SettingsStore> settings_;
    std::unique_ptr<ModbusMaster> master_;
    std::unique_ptr<TDriver> driver_;
    ChildWindows children_;

    QMdiArea* frame_ = nullptr;
    std::array<QLabel*, 10> panels_{};
    std::array<QAction*, CommandCount> menuActions_{};
    std::array<QAction*, CommandCount> buttonActions_{};
    QMenu* fileMenu_ = nullptr;
    QMenu* usersMenu_ = nullptr;
    QMenu* settingsMenu_ = nullptr;
    QMenu* driveMenu_ = nullptr;
    QMenu* tuningMenu_ = nullptr;
    QMenu* scopeMenu_ = nullptr;
    QMenu* diagnosticMenu_ = nullptr;
    QAction* tarnSeparator_ = nullptr; // NTarn
    QAction* guidedSetup_ = nullptr;   // MGuided
    QToolBar* toolBar_ = nullptr;
    QPushButton* viewInfo_ = nullptr; // PViewInfo
    QWidget* panelContent_ = nullptr; // PInfo
    std::unique_ptr<StatusPanelView> statusPanel_;
    QTimer* startTimer_ = nullptr;         // Timer1
    SynchronizedCaller* caller_ = nullptr; // owns TmrPause

    QString fileFilter_;
    QString deviceExtension_;
    int deviceFilterIndex_ = 1;
    QString scopeFolder_;
    bool saveEnabled_ = false;
    bool compareOpen_ = false;
    bool compareFileMode_ = false;
    bool oscilloscopeOpen_ = false;
    bool diagnosticMenuVisible_ = false;
    int linkSelectPort_ = 0;
    bool menuLocked_ = false;
    bool driveRequestsHeld_ = false;
    bool alarmButtonHeld_ = false;
    bool shown_ = false;
    bool started_ = false;
    bool shutDown_ = false;
};

} // namespace kelm
