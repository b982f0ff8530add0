#pragma once

namespace kelm {

class ShellHost;

// Main window entry for Settings > "&General Settings": creates the dialog for the current
// kind, runs it modally (through the dialog seam) and frees it. The main window writes the
// changed values after it returns.
void ShowGenInfo(ShellHost& shell);

} // namespace kelm
