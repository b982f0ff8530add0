#include "core/drive/DriveWorker.h"

#include <chrono>

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

void DriveWorker::RunJob(const std::function<void()>& job, const std::function<void()>& pump) {
    Job mine;
    mine.Fn = &job;
    std::unique_lock lock(mutex_);
    while (job_ != nullptr) { // an earlier job, asked by the caller that pump interrupted
        lock.unlock();
        pump();
        lock.lock();
        jobChanged_.wait_for(lock, std::chrono::milliseconds(2),
                             [this] { return job_ == nullptr; });
    }
    job_ = &mine;
    wake_.notify_all();
    while (!mine.Done) {
        lock.unlock();
        pump();
        lock.lock();
        jobChanged_.wait_for(lock, std::chrono::milliseconds(2), [&mine] { return mine.Done; });
    }
    if (mine.Error)
        std::rethrow_exception(mine.Error);
}

bool DriveWorker::RunPendingJob() {
    Job* job = nullptr;
    {
        std::lock_guard lock(mutex_);
        job = job_;
    }
    if (job == nullptr)
        return false;
    try {
        (*job->Fn)();
    } catch (...) {
        job->Error = std::current_exception(); // the caller's, as if it had run the job
    }
    {
        std::lock_guard lock(mutex_);
        job->Done = true;
        job_ = nullptr;
    }
    jobChanged_.notify_all();
    return true;
}

void DriveWorker::Run() {
    for (;;) {
        if (RunPendingJob())
            continue;
        bool wokeFromIdle = false;
        {
            std::unique_lock lock(mutex_);
            const bool idle = mode_.load() == WorkerMode::Idle;
            if (idle)
                suspend_ = true;
            if (suspend_ && !stop_ && job_ == nullptr) {
                parked_ = true;
                parkedChanged_.notify_all();
                wake_.wait(lock, [this] { return !suspend_ || stop_ || job_ != nullptr; });
                parked_ = false;
                if (job_ != nullptr && suspend_ && !stop_) {
                    // Woken for a job only: run it and suspend again, without a resumption.
                    continue;
                }
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
