#include "PtyBridge.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace kelm::test {
namespace {

bool OpenRawPty(int& master, int& slave, QString& path) {
    char name[128] = {};
    termios raw{};
    cfmakeraw(&raw);
    cfsetspeed(&raw, B19200);
    if (::openpty(&master, &slave, name, &raw, nullptr) != 0) {
        return false;
    }
    path = QString::fromLocal8Bit(name);
    return true;
}

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
    ok_ = OpenRawPty(masterA_, slaveA_, pathA_) && OpenRawPty(masterB_, slaveB_, pathB_) &&
          ::pipe(wake_) == 0;
    if (ok_) {
        relay_ = std::thread([this] { Relay(); });
    }
}

PtyBridge::~PtyBridge() {
    if (relay_.joinable()) {
        const char stop = 1;
        [[maybe_unused]] const ssize_t n = ::write(wake_[1], &stop, 1);
        relay_.join();
    }
    for (const int fd : {masterA_, slaveA_, masterB_, slaveB_, wake_[0], wake_[1]}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

void PtyBridge::Relay() {
    for (;;) {
        pollfd fds[3] = {{masterA_, POLLIN, 0}, {masterB_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0) {
            continue;
        }
        if (fds[2].revents != 0) {
            return;
        }
        if (fds[0].revents & POLLIN) {
            Copy(masterA_, masterB_);
        }
        if (fds[1].revents & POLLIN) {
            Copy(masterB_, masterA_);
        }
    }
}

} // namespace kelm::test
