#pragma once

#include "sim/app/ControlFifo.h"
#include "sim/app/LinePacer.h"
#include "sim/app/Options.h"
#include "sim/app/PtyPort.h"
#include "sim/engine/Engine.h"

#include <QFile>
#include <chrono>
#include <memory>

namespace kelm::sim {

// kelmsim at run time: the pseudo-terminal, the engine behind it, the control FIFO, the
// request log and the pacing of both directions of the line. Run() returns when quit is asked or a
// stop signal arrives.
class Simulator {
public:
    explicit Simulator(Options options) : options_(std::move(options)) {}

    // Loads the configuration, builds the engine, opens the terminal, link, FIFO and log.
    bool Start(QString& error);
    const QString& SlavePath() const { return pty_.SlavePath(); }
    // The loop; `stopRequested` is polled (set by the signal handlers).
    void Run(const volatile int& stopRequested);

private:
    std::uint32_t NowMs() const;
    std::int64_t NowUs() const;
    void ReadRequests();
    void TakeArrivedRequests();
    void WriteDueBytes();
    std::int64_t WaitUs() const;
    void ReadControl();
    void Apply(const QString& line);
    void RunDeferred();
    void LogExchange(const ExchangeRecord& record);

    Options options_;
    std::unique_ptr<Engine> engine_;
    PtyPort pty_;
    ControlFifo fifo_;
    std::unique_ptr<LinePacer> inbound_; // request bytes until they have arrived
    std::unique_ptr<LinePacer> pacer_;   // reply bytes until they are due
    QFile log_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    bool quit_ = false;
    // "after <n> <command>": the command and the request count that releases it.
    std::vector<std::pair<std::uint64_t, QString>> deferred_;
};

} // namespace kelm::sim
