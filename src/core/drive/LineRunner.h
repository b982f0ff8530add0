#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace kelm {

// A thread of its own for the transfers the user-interface thread makes, so that thread
// goes on painting and serving timers and queued calls while a slow line answers. The
// caller still owns the line (the worker is suspended or waiting on it); only the waiting
// moves here.
class LineRunner {
public:
    LineRunner();
    // Joins the thread; no job may be waiting.
    ~LineRunner();
    LineRunner(const LineRunner&) = delete;
    LineRunner& operator=(const LineRunner&) = delete;

    // Runs job on this runner's thread and returns once it has run, running pump again and
    // again meanwhile. A job asked from inside pump waits for the one before it, so two
    // never run at once. An exception of the job is rethrown here.
    void Run(const std::function<void()>& job, const std::function<void()>& pump);

private:
    struct Job {
        const std::function<void()>* Fn = nullptr;
        bool Done = false;
        std::exception_ptr Error;
    };

    void Loop();
    void WaitWhile(std::unique_lock<std::mutex>& lock, const std::function<bool()>& busy,
                   const std::function<void()>& pump);

    std::mutex mutex_;
    std::condition_variable changed_;
    Job* job_ = nullptr; // waiting for or running on the thread
    bool stop_ = false;
    std::thread thread_;
};

} // namespace kelm
