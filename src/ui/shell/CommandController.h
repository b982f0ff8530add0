#pragma once

#include "core/rules/CommandRules.h"
#include "ui/shell/ProgressMode.h"
#include "ui/shell/ShellHost.h"

#include <QString>
#include <functional>

class QMdiArea;
class QMdiSubWindow;

namespace kelm {

class ProgramSession;
class StatusPanelView;
struct ShellFlows;

// The main window as the commands reach it: the ShellHost the flows are given, the status
// panel whose Enable/Disable buttons two commands press, and the status bar's message line.
class CommandSurface : public ShellHost {
public:
    virtual StatusPanelView& Panel() = 0;
    // Shows a message in the status bar; an empty text clears it.
    virtual void ShowStatusMessage(const QString& text) = 0;
};

struct CommandOptions {
    // Starts the resolved firmware loader (its full path); empty: LaunchResolved.
    std::function<bool(const QString& path)> OpenExternal;
    // Milliseconds of the pause after launching the firmware loader.
    int BootPauseMs = 2000;
};

// The sub-window of the frame whose widget has this objectName; nullptr when none.
QMdiSubWindow* FindSubWindow(const QMdiArea& frame, const QString& name);
// Restores, activates and focuses that sub-window; false when there is none.
bool BringSubWindowToFront(QMdiArea& frame, const QString& name);

// Carries out the commands of the main window's command table on the program session,
// through the window and the installed flows. It keeps the state of the main window's file
// dialogs (default extension, filter index, folders).
class CommandController {
public:
    CommandController(ProgramSession& session, CommandSurface& window, const ShellFlows& flows,
                      CommandOptions options);

    void Run(Command command);

    // Drive > Select Drive: the offer to save to EEPROM, the selection flow, then a drive
    // still on line that the flow left unpolled (cancelled) is polled again.
    void SelectDrive();
    // Before the drive is left (close, another drive or unit): when parameters were written
    // since the last save, asks whether to save them to EEPROM first (Yes saves, No goes on).
    // false when the caller stays: Cancel, or a save that failed.
    bool OfferEepromSave();
    // Online from IsLinkReady; on line the child windows close and the table is read; then
    // ConfigureForDevice and the pages refresh.
    void ReloadFromDrive();
    // The progress dialog of a whole-table transfer (ShellFlows::RunTransfer).
    void RunTransfer(ProgressMode mode);
    // Calls the window entry of that name (the commands' own steps come first).
    void OpenWindow(const QString& name);

    // Device parameter files: the dialogs follow the kind; Open, Save, Save As, the offer.
    void SetFileDialogsForDevice();
    void PromptSaveCurrent();
    void OpenDeviceFile();
    void Save();
    void SaveAs();
    // File > Commissioning Report: the PDF of the drive on line (ReportCommand.cpp).
    void WriteReport();
    QString DeviceDialogExtension() const { return deviceExtension_; }
    int DeviceDialogFilterIndex() const { return deviceFilterIndex_; }
    // Start folder of the oscilloscope-file dialogs (kept in the settings store).
    QString ScopeDialogFolder() const;
    void SetScopeDialogFolder(const QString& folder);

private:
    void SelectTarnLink();
    void RunSelection();
    void SaveEeprom();
    void LoadEeprom();
    void LoadDefaults();
    void ResetDrive();
    void Diagnostic();
    void Profile();
    void Oscilloscope();
    void GeneralSettings();
    void ComPort(bool linkPort);
    void ScopeOpenFile();
    void About();
    void Bootloader();
    // A drive still on line whose worker stands still is polled again.
    void ResumeStatusPoll();

    ProgramSession& session_;
    CommandSurface& window_;
    const ShellFlows& flows_;
    CommandOptions options_;
    QString fileFilter_;
    QString deviceExtension_ = QStringLiteral("dev");
    int deviceFilterIndex_ = 1;
};

} // namespace kelm
