#include "core/drive/CliDriverHost.h"

#include "core/drive/TDriver.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

namespace kelm {

CliDriverHost::CliDriverHost(QObject* parent) : QObject(parent) {
    pauseTimer_.setSingleShot(true);
    connect(&pauseTimer_, &QTimer::timeout, this, [this] {
        if (driver_ != nullptr)
            driver_->PauseElapsed();
    });
}

void CliDriverHost::RunSynchronized(const std::function<void()>& fn) {
    if (QThread::currentThread() == thread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this, &fn] {
            ++synchronizedCount_;
            if (QThread::currentThread() != thread())
                ++wrongThread_;
            fn();
        },
        Qt::BlockingQueuedConnection);
}

void CliDriverHost::ConfigureForDevice() {
    ++configureCount_;
    if (OnConfigureForDevice)
        OnConfigureForDevice();
}

void CliDriverHost::CloseChildWindows(std::uint8_t flag1, bool flag2) {
    if (OnCloseChildWindows)
        OnCloseChildWindows(flag1, flag2);
}

void CliDriverHost::StartPauseTimer(int intervalMs) {
    pauseTimer_.start(intervalMs);
}

void CliDriverHost::StopPauseTimer() {
    pauseTimer_.stop();
}

void CliDriverHost::ProcessEvents() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace kelm
