#include "cli/Stopping.h"

#include "core/drive/TDriver.h"
#include "core/drive/stop/StopSignals.h"

#include <QEventLoop>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <memory>
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

TransferEnd AwaitTransfer(TDriver& driver, const std::function<bool(std::function<void()>)>& start,
                          const std::function<bool()>& running) {
    // Shared with the callback: a done reported after the wait ended writes to no dead frame.
    const auto done = std::make_shared<bool>(false);
    TransferEnd end;
    if (!start([done] { *done = true; }))
        return end;
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        end.Done = *done;
        if (!end.Done && StopRequested())
            end.Stopped = true;
        if (end.Done || end.Stopped || !running())
            loop.quit();
    });
    check.start(20);
    loop.exec();
    driver.WaitIdle();
    end.Done = *done; // it may have come while the worker finished
    return end;
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
