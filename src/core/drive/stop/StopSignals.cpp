#include "core/drive/stop/StopSignals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace kelm {
namespace {

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free atomics");

std::atomic<int> receivedSignal{0};
std::atomic<bool> secondSignalForces{false};
int pipeRead = -1;
int pipeWrite = -1;
std::vector<int> installed;

// Only async-signal-safe work: atomics, write(2), and for a second signal the default
// action.
extern "C" void OnStopSignal(int signalNumber) {
    const int savedErrno = errno;
    int expected = 0;
    if (!receivedSignal.compare_exchange_strong(expected, signalNumber) &&
        expected == signalNumber && secondSignalForces.load()) {
        std::signal(signalNumber, SIG_DFL);
        std::raise(signalNumber);
    }
    if (pipeWrite >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(pipeWrite, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

bool InstallStopSignals(std::initializer_list<int> signalNumbers, bool secondForces) {
    if (pipeRead < 0) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
            return false;
        pipeRead = fds[0];
        pipeWrite = fds[1];
    }
    secondSignalForces = secondForces;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    bool ok = true;
    for (const int number : signalNumbers) {
        ok = ::sigaction(number, &action, nullptr) == 0 && ok;
        installed.push_back(number);
    }
    return ok;
}

void UninstallStopSignals() {
    for (const int number : installed)
        std::signal(number, SIG_DFL);
    installed.clear();
}

int StopSignalReceived() {
    return receivedSignal.load();
}

int StopSignalFd() {
    return pipeRead;
}

void DrainStopSignalFd() {
    char buffer[64];
    while (pipeRead >= 0 && ::read(pipeRead, buffer, sizeof buffer) > 0) {
    }
}

void ClearStopSignal() {
    DrainStopSignalFd();
    receivedSignal = 0;
}

} // namespace kelm
