#pragma once

#include "ui/shell/ProgressMode.h"

#include <functional>

namespace kelm {

class ShellHost;
struct ShellFlows;
class TFProfile;

// The profile editor's single instance; nullptr while it does not exist.
TFProfile* ProfileWindow();
// Creates the editor in the main frame at (5, 10) and shows the table's data (or brings
// the existing one up). The main window has read the profiles and checked the line.
// transfer runs a profiles transfer with the progress dialog; empty: TFConnectD's.
void ShowProfileWindow(ShellHost& shell, std::function<void(ProgressMode)> transfer = {});
// Installs ShowProfileWindow as the main window's "TFProfile" entry.
void InstallProfileWindow(ShellFlows& flows);

} // namespace kelm
