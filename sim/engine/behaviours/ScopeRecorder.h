#pragma once

#include "core/common/DeviceKind.h"
#include "sim/engine/Behaviour.h"
#include "sim/engine/behaviours/Motor.h"

#include <optional>

namespace kelm::sim {

// The drive's two-channel recorder behind registers 50000..50013, looking at the device's
// motor (Motor: the drive's while it is enabled, else the bench motor on its square
// reference). Writing 1 to 50000 arms it (reads 1); writing 0 stops it (reads 0).
// The trigger compares channel 1's signal (in its own unit) with the level 50005 on the
// edge 50004 (1 rising, 2 falling) at every step of the motor from the arming on; the
// automatic edge (3) records at once. The record
// spans the time window 50001 (ms, 500 when 0, at most 10000) with the trigger at the
// delay 50003 from its start; when it is full 50000 reads 2. N samples per channel
// (50002, written by the master or left at 500; at most 1000 are stored) go to 51000.. and
// 52000.., converted with the factors 50012/50013 (bit 0 set: the host divides by
// factor/2, else multiplies; 0 and +-1 leave the value as it is).
// A level channel 1 never crosses, or the hang fault, leaves the recorder armed.
class ScopeRecorder : public Behaviour, private Motor::Observer {
public:
    static constexpr std::uint16_t Command = 50000;
    static constexpr std::uint16_t SampleCount = 500;
    static constexpr int MaxStored = 1000;

    // The signal a channel's number selects on this kind (1-based, as in the shipped
    // signal lists).
    enum class Signal {
        Speed,
        SpeedReference,
        Current,
        CurrentReference,
        IdCurrent,
        PositionError,
        BusVoltage,
        AnalogInput,
        DriveState
    };
    static Signal SignalOf(DeviceKind kind, int number);
    // The signal's value in its unit, from the motor's sample at time tMs.
    static double Value(Signal signal, const Motor::Sample& sample, double tMs);
    // The register word for a value with a sample factor.
    static std::int16_t Raw(double value, std::int16_t factor);

    void SetHang(bool hang) { hang_ = hang; }

    void OnAttach(Device& device, std::uint32_t nowMs) override;
    void BeforeRead(Device& device, std::uint16_t first, std::uint16_t count,
                    std::uint32_t nowMs) override;
    void AfterWrite(Device& device, std::uint16_t first, std::uint16_t count,
                    std::uint32_t nowMs) override;
    void Tick(Device& device, std::uint32_t nowMs) override;
    void OnReset(Device& device, std::uint32_t nowMs) override;

private:
    void Arm(Device& device, std::uint32_t nowMs);
    void OnMotorStep(Device& device, double tMs, const Motor::Sample& sample) override;
    void Complete(Device& device) const;

    Motor* motor_ = nullptr;
    bool armed_ = false;
    bool hang_ = false;
    double startMs_ = 0;          // time of the record's first sample
    std::optional<double> dueMs_; // when the record is full (none: not triggered yet)
    double before_ = 0;           // channel 1's value at the last step, for the trigger
};

} // namespace kelm::sim
