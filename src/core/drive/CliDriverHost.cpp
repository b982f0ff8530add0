#include "core/drive/CliDriverHost.h"

#include "core/drive/TDriver.h"

#include <QThread>

namespace kelm {

CliDriverHost::CliDriverHost(QObject* parent)
    : QObject(parent), caller_(
                           [this] {
                               if (driver_ != nullptr)
                                   driver_->PauseElapsed();
                           },
                           this) {}

void CliDriverHost::RunSynchronized(const std::function<void()>& fn) {
    // Only the calls that crossed threads are counted.
    const bool queued = QThread::currentThread() != thread();
    caller_.Run([this, queued, &fn] {
        if (queued) {
            ++synchronizedCount_;
            if (QThread::currentThread() != thread())
                ++wrongThread_;
        }
        fn();
    });
}

void CliDriverHost::ConfigureForDevice() {
    ++configureCount_;
}

void CliDriverHost::CloseChildWindows(WindowsToClose windows) {
    if (OnCloseChildWindows)
        OnCloseChildWindows(windows);
}

void CliDriverHost::StartPauseTimer(int intervalMs) {
    caller_.StartPause(intervalMs);
}

void CliDriverHost::StopPauseTimer() {
    caller_.StopPause();
}

void CliDriverHost::ProcessEvents() {
    SynchronizedCaller::ProcessEvents();
}

} // namespace kelm
