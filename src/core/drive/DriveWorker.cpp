#include "core/drive/DriveWorker.h"

namespace kelm {

DriveWorker::DriveWorker(StepFn step, ResumedFn resumedFromIdle)
    : step_(std::move(step)), resumedFromIdle_(std::move(resumedFromIdle)) {
    thread_ = std::thread([this] { Run(); });
    std::unique_lock lock(mutex_);
    parkedChanged_.wait(lock, [this] { return parked_; });
}

DriveWorker::~DriveWorker() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void DriveWorker::Resume() {
    {
        std::lock_guard lock(mutex_);
        suspend_ = false;
    }
    wake_.notify_all();
}

void DriveWorker::RequestSuspend() {
    std::lock_guard lock(mutex_);
    suspend_ = true;
}

bool DriveWorker::IsSuspended() const {
    std::lock_guard lock(mutex_);
    return parked_ && suspend_;
}

void DriveWorker::Run() {
    for (;;) {
        bool wokeFromIdle = false;
        {
            std::unique_lock lock(mutex_);
            const bool idle = mode_.load() == WorkerMode::Idle;
            if (idle)
                suspend_ = true;
            if (suspend_ && !stop_) {
                parked_ = true;
                parkedChanged_.notify_all();
                wake_.wait(lock, [this] { return !suspend_ || stop_; });
                parked_ = false;
                wokeFromIdle = idle;
            }
            if (stop_)
                return;
        }
        if (wokeFromIdle && resumedFromIdle_)
            resumedFromIdle_();
        const WorkerMode mode = mode_.load();
        if (mode != WorkerMode::Idle)
            step_(mode);
    }
}

} // namespace kelm
