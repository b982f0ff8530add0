#include "PtyBridge.h"

#include <poll.h>
#include <unistd.h>

namespace kelm::test {
namespace {

void Copy(int from, int to) {
    char buffer[256];
    const ssize_t n = ::read(from, buffer, sizeof buffer);
    for (ssize_t done = 0; n > 0 && done < n;) {
        const ssize_t w = ::write(to, buffer + done, static_cast<size_t>(n - done));
        if (w <= 0) {
            return;
        }
        done += w;
    }
}

} // namespace

PtyBridge::PtyBridge() {
    if (a_.Ok() && b_.Ok() && ::pipe(wake_) == 0) {
        relay_ = std::thread([this] { Relay(); });
    }
}

PtyBridge::~PtyBridge() {
    if (relay_.joinable()) {
        const char stop = 1;
        [[maybe_unused]] const ssize_t n = ::write(wake_[1], &stop, 1);
        relay_.join();
    }
    ::close(wake_[0]);
    ::close(wake_[1]);
}

void PtyBridge::Relay() {
    for (;;) {
        pollfd fds[3] = {{a_.Master(), POLLIN, 0}, {b_.Master(), POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0) {
            continue;
        }
        if (fds[2].revents != 0) {
            return;
        }
        if (fds[0].revents & POLLIN) {
            Copy(a_.Master(), b_.Master());
        }
        if (fds[1].revents & POLLIN) {
            Copy(b_.Master(), a_.Master());
        }
    }
}

} // namespace kelm::test
