#pragma once

#include "core/drive/CliDriverHost.h"
#include "core/drive/DriverHost.h"

#include <atomic>
#include <cstdint>

namespace kelm::bench {

// The windowless host of the drive model that also clocks the user-interface thread: the
// time spent running the worker's synchronized calls (everything the worker hands to that
// thread: poll bodies, progress and completion callbacks).
class BenchHost final : public DriverHost {
public:
    void SetDriver(TDriver* driver) { inner_.SetDriver(driver); }

    void RunSynchronized(const std::function<void()>& fn) override;
    void ConfigureForDevice() override { inner_.ConfigureForDevice(); }
    void CloseChildWindows(WindowsToClose windows) override { inner_.CloseChildWindows(windows); }
    void StartPauseTimer(int intervalMs) override { inner_.StartPauseTimer(intervalMs); }
    void StopPauseTimer() override { inner_.StopPauseTimer(); }
    void ProcessEvents() override { inner_.ProcessEvents(); }

    // Nanoseconds the user-interface thread spent in synchronized calls since the reset.
    std::int64_t SynchronizedNs() const { return synchronizedNs_.load(); }
    void ResetClock() { synchronizedNs_ = 0; }

private:
    CliDriverHost inner_;
    std::atomic<std::int64_t> synchronizedNs_{0};
};

} // namespace kelm::bench
