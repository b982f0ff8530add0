#pragma once

#include <QString>
#include <cstdint>

namespace kelm::cli {

// SIGINT, SIGTERM and SIGHUP stop a command at its next safe point (main installs them):
// a procedure runs its Cancel (the disable request written, its request withdrawn), a
// transfer stops after the register in hand and says how far it got. kelmctl then exits
// with 128 + the signal number (130 after Ctrl-C). A second signal of the same kind ends it
// at once.
void InstallStopHandling();
bool StopRequested();
// The exit code of a command that was stopped: 128 + signal; else its own code.
int ExitCodeAfterStop(int code);

// Sleeps ms, or returns as soon as a stop signal has come.
void PauseUnlessStopped(std::uint32_t ms);

// "30 of 73 registers read." for a read that ended before its last register.
QString PartialReadText(int read, int total);

} // namespace kelm::cli
