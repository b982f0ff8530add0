#pragma once

namespace kelm {

class ShellHost;
struct ShellFlows;
class TFDiagnostic;

// The diagnostic window's single instance; nullptr while it does not exist.
TFDiagnostic* DiagnosticWindow();
// Creates the window in the main frame (or brings it up), registered for
// CloseChildWindows, placed 20 pixels from the top, 500 wide, centred, full height; then
// starts mode Diagnostic. The main window has checked the level and the on-line state.
void ShowDiagnosticWindow(ShellHost& shell);
// Installs ShowDiagnosticWindow as the main window's "TFDiagnostic" entry.
void InstallDiagnosticWindow(ShellFlows& flows);

} // namespace kelm
