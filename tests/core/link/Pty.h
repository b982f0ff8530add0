#pragma once

#include "TerminalState.h"

#include <QString>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace kelm::test {

// A pseudo-terminal pair: code under test opens the slave side by name, the test holds the
// master side. Raw at 19200 baud like a serial line, or cooked at 9600 baud like a freshly
// opened terminal.
class Pty {
public:
    explicit Pty(bool raw = true) {
        termios settings{};
        if (raw) {
            cfmakeraw(&settings);
        } else {
            settings.c_iflag = ICRNL | IXON;
            settings.c_oflag = OPOST | ONLCR;
            settings.c_cflag = CS7 | CREAD;
            settings.c_lflag = ICANON | ECHO | ISIG;
            settings.c_cc[VMIN] = 1;
        }
        cfsetspeed(&settings, raw ? B19200 : B9600);
        char name[128] = {};
        if (::openpty(&master_, &slave_, name, &settings, nullptr) == 0)
            path_ = QString::fromLocal8Bit(name);
    }
    ~Pty() {
        if (master_ >= 0)
            ::close(master_);
        ::close(slave_);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    // Hangs the terminal up, as a simulator that ends or an unplugged adapter does.
    void CloseMaster() {
        ::close(master_);
        master_ = -1;
    }

    bool Ok() const { return !path_.isEmpty(); }
    const QString& Path() const { return path_; }
    int Master() const { return master_; }
    TerminalState State() const { return ReadTerminalState(slave_); }

private:
    int master_ = -1;
    int slave_ = -1;
    QString path_;
};

} // namespace kelm::test
