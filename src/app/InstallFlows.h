#pragma once

#include "ui/shell/ShellFlows.h"

namespace kelm {

// The windows and flows of the program, as the main window calls them.
ShellFlows ProgramFlows();

} // namespace kelm
