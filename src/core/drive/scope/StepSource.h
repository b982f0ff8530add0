#pragma once

#include "core/drive/WriteGate.h"

#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>

namespace kelm {

class OwedDisables;
class TDriver;

// The registers a step reads and writes on the unit in use (the main page's mode, digital
// speed reference and maximum speed, the status word whose bit 0 says enabled).
struct StepRegisters {
    std::uint16_t Mode = 0;
    std::uint16_t Reference = 0;
    std::uint16_t MaxSpeed = 0;
    std::uint16_t DriveState = 0;
};

struct StepRequest {
    int Rpm = 500;
    int DurationMs = 500;
};

// A speed step for tuning the speed loop. On a drive that is on line, enabled, in Digital
// Speed mode (1) with its digital speed reference at 0, the caller's arm function arms the
// recorder and then the reference is set to the step; after the duration, on Stop, or when
// the source ends, it goes back to 0. Nothing else is written. The arm and both reference
// writes go under one origin. A line lost (or another unit chosen) during the step leaves
// the return owed to the step's unit: it is written as soon as that unit answers again
// (SettleOwedDisable, under an origin of then, since the lost line voided the step's).
// While a capture upload holds the line, the return waits for it (a few hundred ms).
class StepSource {
public:
    using ArmFunction = std::function<bool()>;
    static constexpr int RetryMs = 20;
    static constexpr int DigitalSpeedMode = 1;

    StepSource(TDriver& driver, const StepRegisters& registers);
    StepSource(TDriver& driver, const StepRegisters& registers, OwedDisables& owed);
    // A step still on goes back to 0 (or is owed).
    ~StepSource();
    StepSource(const StepSource&) = delete;
    StepSource& operator=(const StepSource&) = delete;

    // Asks before the first step on a unit ("Confirm" box); true when the user agreed now
    // or before.
    bool Confirm(const StepRequest& request);
    // Reads the drive's mode, state, reference and maximum speed: why a step cannot be made
    // now ("the drive is not enabled"), empty when it can. Writes nothing.
    QString Refusal(const StepRequest& request);
    // "No step: " + reason + "."
    static QString RefusalText(const QString& reason);
    // Runs arm, then writes the step, both under the step's origin, and starts the duration.
    // false when either failed (a step that was written goes back to 0).
    bool Start(const StepRequest& request, const ArmFunction& arm);
    // Stop (and Ctrl-C): the reference back to 0 now.
    void Stop() { ReturnToZero(); }
    // The line state changed: a lost line owes the return to the step's unit.
    void LineChanged();

    // The registers of the kind in use; kept while a step is on.
    void SetRegisters(const StepRegisters& registers) {
        if (!active_)
            registers_ = registers;
    }
    bool Active() const { return active_; }
    const WriteOrigin& Origin() const { return origin_; }
    // Runs when a step has ended (back to 0, or owed).
    void SetEnded(std::function<void()> ended) { ended_ = std::move(ended); }

private:
    std::optional<std::uint16_t> ReadWord(std::uint16_t address);
    bool WriteReference(std::int16_t raw);
    void ReturnToZero();
    void Owe();
    void End();

    TDriver& driver_;
    StepRegisters registers_;
    OwedDisables& owed_;
    QTimer timer_;
    WriteOrigin origin_;
    bool active_ = false;
    std::optional<UnitInUse> confirmedUnit_;
    std::function<void()> ended_;
};

} // namespace kelm
