#pragma once

#include <QString>
#include <cstdint>
#include <functional>

namespace kelm {
class TDriver;
}

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

// How a transfer that AwaitTransfer waited for ended.
struct TransferEnd {
    bool Done = false;    // the transfer called its done callback
    bool Stopped = false; // a stop signal came before that
};

// Starts a transfer and runs the event loop until it has ended. `start` hands the given done
// callback to the worker and says whether the transfer began (nothing is waited for when it
// did not). The wait also ends when `running` says the worker has left the transfer (a failed
// register takes it off line) or a stop signal comes (the worker then ends the transfer after
// the register in hand). Afterwards the worker is left idle: a command-line run polls no
// status.
TransferEnd AwaitTransfer(TDriver& driver, const std::function<bool(std::function<void()>)>& start,
                          const std::function<bool()>& running);

// "30 of 73 registers read." for a read that ended before its last register.
QString PartialReadText(int read, int total);

} // namespace kelm::cli
