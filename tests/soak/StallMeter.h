#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace kelm::test {

// How long the user-interface thread stops answering: a timer on that thread ticks every
// 10 ms; the stall is the worst lateness of a tick (the gap between two ticks less the
// period). Created and read on the user-interface thread.
class StallMeter {
public:
    static constexpr int PeriodMs = 10;

    StallMeter() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    }
    // Starts (again) from no stall.
    void Start() {
        worstMs_ = 0;
        clock_.start();
        lastMs_ = 0;
        timer_.start(PeriodMs);
    }
    void Stop() {
        Tick();
        timer_.stop();
    }
    qint64 WorstMs() const { return worstMs_; }

private:
    void Tick() {
        const qint64 now = clock_.elapsed();
        worstMs_ = std::max(worstMs_, now - lastMs_ - PeriodMs);
        lastMs_ = now;
    }

    QTimer timer_;
    QElapsedTimer clock_;
    qint64 lastMs_ = 0;
    qint64 worstMs_ = 0;
};

} // namespace kelm::test
