#pragma once

#include "ui/shell/ProgressMode.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>

class QWidget;

namespace kelm {

class ShellHost;
class StatusPanelView;

// The flows and windows that other folders provide to the main window, installed once by
// the program (src/app) or by a test. Every entry is required: the main window refuses to
// be built without one (MissingFlows).
struct ShellFlows {
    // The drive selection sequence (selection dialog, connect, ends with
    // SetFileDialogsForDevice and ReloadFromDrive).
    std::function<void(ShellHost&)> SelectDrive;
    // Drive > "S&elect Tarn link": reopen the port in link mode, preselect it, SelectDrive.
    std::function<void(ShellHost&)> SelectLinkDirect;
    // The transfer progress dialog, run modally for a whole-table transfer.
    std::function<void(ShellHost&, ProgressMode mode)> RunTransfer;
    // The port settings dialog; linkPort false for the main port, true for the link port.
    // true when the dialog changed the port.
    std::function<bool(ShellHost&, bool linkPort)> ComSettings;
    // Users > Change/Release.
    std::function<void(ShellHost&)> UserChange;
    // The alarm window: bring it up or create it.
    std::function<void(ShellHost&)> ShowAlarmWindow;
    // Builds the content of the right-hand status panel (and may install the status poll
    // bodies on the drive model).
    std::function<std::unique_ptr<StatusPanelView>(ShellHost&, QWidget* parent)> MakeStatusPanel;
    // Runs at the end of every StatusRefresh (the alarm window's refresh while it exists).
    std::function<void(ShellHost&)> AfterStatusRefresh;
    // The stored-trace viewer for a chosen ".kls" file.
    std::function<void(ShellHost&, const QString& path)> OpenTraceViewer;

    // Later windows and dialogs, by name. The main window does the command's own steps
    // (questions, transfers, CloseChildWindows) and then calls the entry to create the
    // window. Child windows live in Frame() as sub-windows whose widget's objectName is
    // the name below; the main window finds them by it to bring them to the front or to
    // close them.
    //   "TFMainDev"     main parameter page (created when the main window is first shown)
    //   "GuidedSetup"   Drive > "&Guided Setup"
    //   "TFGenInfo"     general settings dialog (modal; writes its own edits)
    //   "TFCompDev"     comparison: "TFCompDev" file-against-file, "TFCompDevDrive"
    //                   drive-against-file
    //   "TFDiagnostic"  diagnostic window
    //   "TFProfile"     profile editor
    //   "TFOscillo"     oscilloscope
    //   "MotorPhasing", "SpeedOffset", "TorqueOffset"  commissioning procedures
    std::map<QString, std::function<void(ShellHost&)>> Windows;
};

// The names of the Windows entries the main window calls.
QStringList RequiredWindows();
// The entries of flows that are empty or absent, by name ("SelectDrive", "TFOscillo" ...);
// empty when the flows are complete.
QStringList MissingFlows(const ShellFlows& flows);

} // namespace kelm
