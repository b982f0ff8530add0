#pragma once

#include "core/drive/DriverHost.h"
#include "core/drive/SynchronizedCaller.h"

#include <QObject>
#include <atomic>
#include <functional>

namespace kelm {

class TDriver;

// A DriverHost without windows, for kelmctl and tests: the synchronized call is a blocking
// queued call into the thread that created the host (which must run a Qt event loop or
// process events while it waits on the driver), the pause timer is a single-shot QTimer.
class CliDriverHost final : public QObject, public DriverHost {
    Q_OBJECT
public:
    explicit CliDriverHost(QObject* parent = nullptr);

    // The driver whose PauseElapsed the pause timer calls; set once the driver exists.
    void SetDriver(TDriver* driver) { driver_ = driver; }

    void RunSynchronized(const std::function<void()>& fn) override;
    void ConfigureForDevice() override;
    void CloseChildWindows(WindowsToClose windows) override;
    void StartPauseTimer(int intervalMs) override;
    void StopPauseTimer() override;
    void ProcessEvents() override;

    // Optional observers (called on the host's thread).
    std::function<void(WindowsToClose)> OnCloseChildWindows;

    int ConfigureCount() const { return configureCount_.load(); }
    int SynchronizedCount() const { return synchronizedCount_.load(); }
    // Synchronized calls that ran on a thread other than the host's (must stay 0).
    int WrongThreadCount() const { return wrongThread_.load(); }
    bool PauseTimerActive() const { return caller_.PauseActive(); }

private:
    TDriver* driver_ = nullptr;
    SynchronizedCaller caller_;
    std::atomic<int> configureCount_{0};
    std::atomic<int> synchronizedCount_{0};
    std::atomic<int> wrongThread_{0};
};

} // namespace kelm
