#pragma once

#include <cstdint>

namespace kelm::test {

// The kernel's view of a terminal's settings (termios2), read with TCGETS2.
struct TerminalState {
    std::uint32_t Iflag = 0, Oflag = 0, Cflag = 0, Lflag = 0, Ispeed = 0, Ospeed = 0;
    std::uint8_t Vmin = 0, Vtime = 0;
    bool Ok = false;

    friend bool operator==(const TerminalState&, const TerminalState&) = default;
};

TerminalState ReadTerminalState(int fd);

} // namespace kelm::test
