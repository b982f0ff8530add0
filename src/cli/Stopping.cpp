#include "cli/Stopping.h"

#include "core/drive/stop/StopSignals.h"

#include <csignal>
#include <cstdio>
#include <poll.h>

namespace kelm::cli {

void InstallStopHandling() {
    InstallStopSignals({SIGINT, SIGTERM, SIGHUP}, true);
}

bool StopRequested() {
    return StopSignalReceived() != 0;
}

int ExitCodeAfterStop(int code) {
    const int signalNumber = StopSignalReceived();
    if (signalNumber == 0)
        return code;
    const char* name = signalNumber == SIGINT    ? "SIGINT"
                       : signalNumber == SIGTERM ? "SIGTERM"
                                                 : "SIGHUP";
    std::fprintf(stderr, "kelmctl: stopped by %s\n", name);
    return ExitCodeForSignal(signalNumber);
}

void PauseUnlessStopped(std::uint32_t ms) {
    if (StopRequested())
        return;
    pollfd watch{StopSignalFd(), POLLIN, 0};
    ::poll(&watch, watch.fd >= 0 ? 1 : 0, static_cast<int>(ms));
}

QString PartialReadText(int read, int total) {
    return QStringLiteral("%1 of %2 registers read.").arg(read).arg(total);
}

} // namespace kelm::cli
