#pragma once

namespace kelm {

struct ShellFlows;

// Installs the drive selection, transfer progress, Com Settings, user level, alarm window
// and status panel flows into the main window's flow table.
void InstallPanelFlows(ShellFlows& flows);

} // namespace kelm
