#pragma once

#include "core/drive/WorkerMode.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace kelm {

// The drive model's worker thread. Each turn it runs the step of the current mode; at
// WorkerMode::Idle it suspends itself until resumed. The user-interface thread changes the
// mode and resumes it; a step may ask to be suspended after it returns (poll pacing).
class DriveWorker {
public:
    using StepFn = std::function<void(WorkerMode mode)>;
    using ResumedFn = std::function<void()>;

    // step runs on the worker; resumedFromIdle runs on the worker each time it wakes from a
    // mode-0 suspension. Returns once the worker has suspended itself for the first time.
    DriveWorker(StepFn step, ResumedFn resumedFromIdle);
    // Stops and joins the thread (a step in progress finishes first).
    ~DriveWorker();
    DriveWorker(const DriveWorker&) = delete;
    DriveWorker& operator=(const DriveWorker&) = delete;

    WorkerMode Mode() const { return mode_.load(); }
    void SetMode(WorkerMode mode) { mode_.store(mode); }

    // Wakes the worker if it is suspended or about to suspend.
    void Resume();
    // The worker suspends after its current step (even with a mode set).
    void RequestSuspend();
    // Suspended and not yet resumed.
    bool IsSuspended() const;
    bool OnWorkerThread() const { return std::this_thread::get_id() == thread_.get_id(); }

private:
    void Run();

    StepFn step_;
    ResumedFn resumedFromIdle_;
    std::atomic<WorkerMode> mode_{WorkerMode::Idle};
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable parkedChanged_;
    bool suspend_ = false;
    bool parked_ = false;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace kelm
