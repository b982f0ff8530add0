#pragma once

#include <initializer_list>

namespace kelm {

// Stop signals (Ctrl-C, kill, the end of a session) turned into a request that the program
// answers at a safe point: the handler only records the first signal and writes one byte to
// a pipe. Waits check StopSignalReceived(); an event loop watches StopSignalFd() (a
// QSocketNotifier) and reads the byte with DrainStopSignalFd().
//
// secondForces: a second signal of the same kind ends the process at once (the default
// action), for a command-line run whose clean-up does not end.
bool InstallStopSignals(std::initializer_list<int> signalNumbers, bool secondForces);
// Puts the default actions back (the pipe stays).
void UninstallStopSignals();

// The first signal received since the last clear; 0 when none.
int StopSignalReceived();
// Readable once a signal has come; -1 before InstallStopSignals.
int StopSignalFd();
void DrainStopSignalFd();
// Forgets a received signal (tests, a run that handled it).
void ClearStopSignal();

// The exit code after a stop signal, as shells report it: 128 + the signal number
// (130 after SIGINT, 143 after SIGTERM).
constexpr int ExitCodeForSignal(int signalNumber) {
    return 128 + signalNumber;
}

} // namespace kelm
