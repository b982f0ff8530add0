#pragma once

#include "core/drive/procedures/Procedures.h"

namespace kelm {

struct ShellFlows;
class ShellHost;

// Tuning > Motor Phasing, Speed Offset, Torque Offset: the question, the pages closed and
// the main window disabled, the procedure with its wait dialog, the result message.
// Returns whether the procedure succeeded (false also for No).
// A page that starts an offset run itself (the analog page) passes closePages false so
// that it is not closed under its own button; it then disables itself meanwhile.
bool RunTuningCommand(ShellHost& shell, TuningProcedure procedure, bool closePages = true);

// Installs the three commands as the main window's "MotorPhasing", "SpeedOffset" and
// "TorqueOffset" entries.
void InstallTuningCommands(ShellFlows& flows);

} // namespace kelm
