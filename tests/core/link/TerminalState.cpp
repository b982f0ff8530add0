// Kept apart: <asm/termbits.h> clashes with <termios.h>.
#include "TerminalState.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace kelm::test {

TerminalState ReadTerminalState(int fd) {
    termios2 tio{};
    if (::ioctl(fd, TCGETS2, &tio) != 0)
        return {};
    return {tio.c_iflag,  tio.c_oflag,    tio.c_cflag,     tio.c_lflag, tio.c_ispeed,
            tio.c_ospeed, tio.c_cc[VMIN], tio.c_cc[VTIME], true};
}

} // namespace kelm::test
