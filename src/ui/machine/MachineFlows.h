#pragma once

namespace kelm {

class ShellHost;

// File > "Save Machine…", "Compare Machine…" and "Open Machine…": the whole link through the
// machine runner with the two-bar progress dialog. Available with a link port selected.
// Afterwards the unit that was in use is put back (and read again after a restore).
namespace MachineFlows {
bool Available(ShellHost& shell);
void SaveMachine(ShellHost& shell);
void CompareMachine(ShellHost& shell);
void OpenMachine(ShellHost& shell);
} // namespace MachineFlows

} // namespace kelm
