// Kept apart: <asm/termbits.h> clashes with <termios.h>.
#include "TerminalState.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace kelm::test {

TerminalState ReadTerminalState(int fd) {
    termios2 tio{};
    TerminalState state;
    if (::ioctl(fd, TCGETS2, &tio) != 0)
        return state;
    state.Iflag = tio.c_iflag;
    state.Oflag = tio.c_oflag;
    state.Cflag = tio.c_cflag;
    state.Lflag = tio.c_lflag;
    state.Ispeed = tio.c_ispeed;
    state.Ospeed = tio.c_ospeed;
    state.Vmin = tio.c_cc[VMIN];
    state.Vtime = tio.c_cc[VTIME];
    state.Ok = true;
    return state;
}

} // namespace kelm::test
