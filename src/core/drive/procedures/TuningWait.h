#pragma once

#include <QString>
#include <cstdint>
#include <functional>

namespace kelm {

// The wait for a drive to finish a procedure: polled every PollMs, it reads the control
// register until the drive clears the request bit. Single-phase: success as soon as the
// bit is clear. Two-phase (phasing on a Drive unit): first wait while the bit is set and
// the drive is enabled (status bit 0), then success only when both are clear.
// A failed read or a cancel ends the wait with the bit added to LastControl (failure).
class TuningWait {
public:
    static constexpr int PollMs = 200;
    static constexpr int BarMs = 10;
    static constexpr int BarMax = 50;

    // Reads one register; false when the read failed (reported by the reader).
    using Reader = std::function<bool(std::uint16_t address, std::uint16_t& value)>;

    TuningWait(Reader read, std::uint16_t statusRegister, std::uint16_t controlRegister,
               std::uint16_t bit, bool twoPhase);

    // One poll. Returns true while the wait goes on.
    bool Poll();
    // The next poll ends the wait with failure.
    void Cancel() { cancelled_ = true; }
    bool Cancelled() const { return cancelled_; }
    bool Finished() const { return finished_; }
    bool Failed() const { return (lastControl_ & bit_) != 0; }
    std::uint16_t LastControl() const { return lastControl_; }
    std::uint16_t Bit() const { return bit_; }
    bool TwoPhase() const { return twoPhase_; }

private:
    bool End(bool success);

    Reader read_;
    std::uint16_t statusRegister_;
    std::uint16_t controlRegister_;
    std::uint16_t bit_;
    bool twoPhase_;
    bool secondPhase_ = false;
    bool cancelled_ = false;
    bool finished_ = false;
    std::uint16_t lastControl_ = 0;
    std::uint16_t lastStatus_ = 0;
};

// Caption of the wait for a request bit (empty for an unknown bit).
QString TuningCaption(std::uint16_t bit);

// Runs a wait to its end: the wait dialog of the desktop program, the paced loop of the
// command line, a fake clock in tests.
class ProcedureWaiter {
public:
    virtual ~ProcedureWaiter() = default;
    virtual void Run(TuningWait& wait) = 0;
};

// Polls the wait every PollMs through a sleep function; cancels it after limitMs (0: no
// limit) or as soon as stop returns true (a stop signal). onPoll runs after every poll
// (progress display).
class PacedWaiter : public ProcedureWaiter {
public:
    using Sleep = std::function<void(std::uint32_t ms)>;
    PacedWaiter(Sleep sleep, std::function<void()> onPoll, std::uint32_t limitMs,
                std::function<bool()> stop = {})
        : sleep_(std::move(sleep)), onPoll_(std::move(onPoll)), limitMs_(limitMs),
          stop_(std::move(stop)) {}
    void Run(TuningWait& wait) override;
    bool TimedOut() const { return timedOut_; }
    bool Stopped() const { return stopped_; }

private:
    Sleep sleep_;
    std::function<void()> onPoll_;
    std::uint32_t limitMs_;
    std::function<bool()> stop_;
    bool timedOut_ = false;
    bool stopped_ = false;
};

} // namespace kelm
