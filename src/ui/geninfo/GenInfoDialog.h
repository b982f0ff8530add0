#pragma once

namespace kelm {

class ShellHost;

// Main window entry for Settings > "&General Settings": creates the dialog for the current
// kind, runs it modally (through the dialog seam) and frees it. The dialog writes its own
// edits; nothing is left for the main window to write afterwards.
void ShowGenInfo(ShellHost& shell);

} // namespace kelm
