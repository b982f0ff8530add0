#pragma once

#include <QObject>
#include <functional>

class QTimer;

namespace kelm {

// The thread-and-timer half of a DriverHost: runs a function on the thread that created
// this object (directly when already there, otherwise as a blocking queued call, so that
// thread must run an event loop or process events while the caller waits), and owns the
// single-shot pause timer whose expiry calls the given handler on that thread.
class SynchronizedCaller final : public QObject {
public:
    explicit SynchronizedCaller(std::function<void()> onPauseElapsed, QObject* parent = nullptr);

    void Run(const std::function<void()>& fn);

    void StartPause(int intervalMs);
    void StopPause();
    bool PauseActive() const;

    // Lets queued calls and timers run while a caller waits, without user input.
    static void ProcessEvents();

private:
    std::function<void()> onPauseElapsed_;
    QTimer* pauseTimer_ = nullptr; // TmrPause
};

} // namespace kelm
