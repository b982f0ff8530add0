#pragma once

#include "core/rules/CommandRules.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/CommandActions.h"
#include "ui/shell/CommandController.h"
#include "ui/shell/ProgramSession.h"
#include "ui/shell/ShellFlows.h"
#include "ui/shell/StatusPanelView.h"

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

class SerialChannel;

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
// status panel and the 10-panel status bar. It renders the program session (which owns the
// settings store, the serial master and the drive model) and hands every command to the
// command controller. Built only with complete flows (MissingFlows).
class TFPrincipale final : public QMainWindow, public CommandSurface {
    Q_OBJECT
public:
    TFPrincipale(ShellFlows flows, PrincipaleOptions options, QWidget* parent = nullptr);
    ~TFPrincipale() override;

    static constexpr const char* Caption = "Kelm Servo Drive";

    // --- ShellHost ----------------------------------------------------------------------
    QWidget* Window() override { return this; }
    QMdiArea* Frame() override { return frame_; }
    TDriver& Driver() override { return session_->Driver(); }
    ModbusMaster& Master() override { return session_->Master(); }
    SettingsStore& Settings() override { return session_->Settings(); }
    ChildWindows& Children() override { return children_; }
    void ShowDeviceFileName() override { Render(); }
    bool IsExpert() const override { return session_ && session_->IsExpert(); }
    void SetUserLevel(UserLevel level) override { session_->SetUserLevel(level); }
    std::optional<std::uint8_t> ShownAddress() const override { return session_->ShownAddress(); }
    void ConfigureForDevice() override;
    void SetFileDialogsForDevice() override { commands_->SetFileDialogsForDevice(); }
    void ReloadFromDrive() override { commands_->ReloadFromDrive(); }
    void CloseChildWindows(WindowsToClose windows) override;
    void ApplyUserLevel() override { Render(); }
    void UpdateAlarmIndicator(bool alarm) override;
    void StatusRefresh() override;
    void SelectDrive() override { commands_->SelectDrive(); }
    // Windows closing with the main window report after the session has gone: ignored.
    void SetSaveEnabled(bool on) override { Report(&ProgramSession::SetSaveEnabled, on); }
    void SetCompareOpen(bool open, bool fileMode = false) override {
        Report(&ProgramSession::SetCompareOpen, open, fileMode);
    }
    void SetOscilloscopeOpen(bool on) override { Report(&ProgramSession::SetOscilloscopeOpen, on); }
    void SetDiagnosticMenuVisible(bool on) override {
        Report(&ProgramSession::SetDiagnosticMenuVisible, on);
    }
    int LinkSelectPort() const override { return session_->LinkSelectPort(); }
    void SetLinkSelectPort(int com) override { session_->SetLinkSelectPort(com); }
    bool MenuLocked() const override { return session_ && session_->MenuLocked(); }
    void SetMenuLocked(bool locked) override { Report(&ProgramSession::SetMenuLocked, locked); }
    void HoldDriveRequests(bool held) override;
    void ServicePendingRequests() override {
        if (statusPanel_)
            statusPanel_->ServicePendingRequests();
    }
    void HoldAlarmButton(bool held) override;
    LastScopeRecord* ScopeRecordHolder() override { return &session_->ScopeRecord(); }
    void PollStatusNow() override { Report(&ProgramSession::PollNow); }

    // --- CommandSurface -----------------------------------------------------------------
    StatusPanelView& Panel() override { return *statusPanel_; }
    void ShowStatusMessage(const QString& text) override;

    // --- commands (public so that tests and other windows can run them) -----------------
    void Run(Command command) {
        if (commands_)
            commands_->Run(command);
    }
    QAction* MenuAction(Command c) const { return actions_->Menu(c); }     // nullptr: no item
    QAction* ButtonAction(Command c) const { return actions_->Button(c); } // nullptr: no button
    // The command state as the window shows it (the menu item's, else the button's).
    CommandState StateOf(Command command) const { return actions_->StateOf(command); }
    QMenu* DriveMenu() const { return driveMenu_; }
    QMenu* TuningMenu() const { return tuningMenu_; }
    QMenu* DiagnosticMenu() const { return diagnosticMenu_; }
    // Drive > "Guided Setup" (on line, kinds with motor and loop pages).
    QAction* GuidedSetupAction() const { return guidedSetup_; }

    // Default extension ("dev") and 1-based filter index of the parameter-file dialogs.
    QString DeviceDialogExtension() const { return commands_->DeviceDialogExtension(); }
    int DeviceDialogFilterIndex() const { return commands_->DeviceDialogFilterIndex(); }
    QString ScopeDialogFolder() const { return commands_->ScopeDialogFolder(); }
    void SetScopeDialogFolder(const QString& f) { commands_->SetScopeDialogFolder(f); }

    // What a status-bar panel shows (0 to 9).
    QString StatusPanelText(int panel) const;
    // The status bar's EEPROM note: "Not saved to EEPROM (N)", empty when all is saved.
    QString UnsavedText() const;
    // The right-hand panel: caption bar PViewInfo and the panel content.
    QString ViewInfoCaption() const;
    void ViewInfoClick();
    bool StatusPanelShown() const;

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
    template <typename... Args> void Report(void (ProgramSession::*set)(Args...), Args... args) {
        if (session_)
            (session_.get()->*set)(args...);
    }
    void BuildStatusBar();
    void BuildMenus();
    void BuildToolBar();
    void BuildRightPanel();
    CommandInputs GatherInputs() const;
    // The command states and the status bar from the session, after every change of it.
    void Render();
    void ApplyCommandStates();
    void RenderStatusBar();
    void FirstShow();
    void StartTimerFired();
    void Shutdown();

    ShellFlows flows_;
    PrincipaleOptions options_;
    std::unique_ptr<ProgramSession> session_;
    std::unique_ptr<CommandController> commands_;
    ChildWindows children_;

    QMdiArea* frame_ = nullptr;
    std::array<QLabel*, 10> panels_{};
    QLabel* unsaved_ = nullptr;
    std::unique_ptr<CommandActions> actions_;
    QMenu* driveMenu_ = nullptr;
    QMenu* tuningMenu_ = nullptr;
    QMenu* diagnosticMenu_ = nullptr;
    QAction* tarnSeparator_ = nullptr; // NTarn
    QAction* guidedSetup_ = nullptr;   // MGuided
    QPushButton* viewInfo_ = nullptr;  // PViewInfo
    QWidget* panelContent_ = nullptr;  // PInfo
    std::unique_ptr<StatusPanelView> statusPanel_;
    QTimer* startTimer_ = nullptr; // Timer1
    bool shown_ = false;
    bool started_ = false;
};

} // namespace kelm
