#include "core/drive/LineRunner.h"

#include <chrono>

namespace kelm {

LineRunner::LineRunner() : thread_([this] { Loop(); }) {}

LineRunner::~LineRunner() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void LineRunner::Run(const std::function<void()>& job, const std::function<void()>& pump) {
    Job mine;
    mine.Fn = &job;
    std::unique_lock lock(mutex_);
    // An earlier job, asked by the caller that pump interrupted, finishes first.
    WaitWhile(
        lock, [this] { return job_ != nullptr; }, pump);
    job_ = &mine;
    changed_.notify_all();
    WaitWhile(
        lock, [&mine] { return !mine.Done; }, pump);
    if (mine.Error)
        std::rethrow_exception(mine.Error);
}

void LineRunner::WaitWhile(std::unique_lock<std::mutex>& lock, const std::function<bool()>& busy,
                           const std::function<void()>& pump) {
    while (busy()) {
        lock.unlock();
        pump();
        lock.lock();
        changed_.wait_for(lock, std::chrono::milliseconds(2), [&busy] { return !busy(); });
    }
}

void LineRunner::Loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stop_ || (job_ != nullptr && !job_->Done); });
        if (stop_)
            return;
        Job* job = job_;
        lock.unlock();
        try {
            (*job->Fn)();
        } catch (...) {
            job->Error = std::current_exception(); // the caller's, as if it had run the job
        }
        lock.lock();
        job->Done = true;
        job_ = nullptr;
        changed_.notify_all();
    }
}

} // namespace kelm
