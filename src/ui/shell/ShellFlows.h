#pragma once

#include <functional>
#include <memory>

class QWidget;

namespace kelm {

class ShellHost;
class StatusPanelView;

// The flows and windows that other folders provide to the main window, installed once by
// the program (src/app) or by a test. An empty function means "not there yet": the main
// window then says so in an information box.
struct ShellFlows {
    // The drive selection sequence (selection dialog, connect, ends with
    // SetFileDialogsForDevice and ReloadFromDrive).
    std::function<void(ShellHost&)> SelectDrive;
    // The transfer progress dialog, run modally for a whole-table transfer; mode letters
    // 'R' read, 'W' write, 'P' profiles read, 'p' profiles write, 'O' oscilloscope read.
    std::function<void(ShellHost&, char mode)> RunTransfer;
    // The port settings dialog; linkPort false for the main port, true for the link port.
    // true when the dialog changed the port.
    std::function<bool(ShellHost&, bool linkPort)> ComSettings;
    // Users > Change/Release.
    std::function<void(ShellHost&)> UserChange;
    // The alarm window: bring it up or create it.
    std::function<void(ShellHost&)> ShowAlarmWindow;
    // Builds the content of the right-hand status panel.
    std::function<std::unique_ptr<StatusPanelView>(ShellHost&, QWidget* parent)> MakeStatusPanel;
};

} // namespace kelm
