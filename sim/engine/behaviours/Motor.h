#pragma once

#include "core/common/DeviceKind.h"
#include "sim/engine/Behaviour.h"
#include "sim/engine/MotorPlant.h"

#include <array>
#include <cstddef>
#include <vector>

namespace kelm::sim {

// The motor on the drive's shaft, stepped up to the engine's clock before anything looks at
// it. The gains, filters, limits and ramps are read from the device's registers at every step
// (a value the table does not name keeps the shipped default), so a write takes effect at
// once. While the drive is enabled its speed loop follows the drive's reference: in
// square-wave mode +-the digital speed reference with the square-wave period, applied at
// once; in digital speed mode the digital speed reference; in the other modes the digital
// speed reference while it is not 0 and the running speed otherwise (standing for the analog
// reference); the last two through the ramps. A disabled drive lets the motor coast.
// A second motor with the same settings, on the bench, follows a fixed square reference
// (+-600 rpm, period 200 ms): the recorder looks at it while the drive is disabled.
// The last HistorySteps steps of what the recorder looks at are kept for it.
class Motor : public Behaviour {
public:
    static constexpr double RunningSpeedRpm = 1500.0;
    static constexpr double BenchRpm = 600.0;
    static constexpr double BenchPeriodMs = 200.0;
    static constexpr std::size_t HistorySteps = 40960; // 10.24 s
    // A longer pause of the clock is skipped, not simulated.
    static constexpr std::uint32_t MaxCatchUpMs = 30000;

    struct Sample {
        float speed, reference, current, currentReference, positionError;
    };
    // Hears every step (the recorder watches for its trigger there).
    class Observer {
    public:
        virtual void OnMotorStep(Device& device, double tMs, const Sample& sample) = 0;

    protected:
        ~Observer() = default;
    };

    void SetObserver(Observer* observer) { observer_ = observer; }
    void SetLoadPercent(double percent);
    double LoadPercent() const { return shaft_.LoadPercent(); }

    // Steps both motors up to nowMs.
    void AdvanceTo(Device& device, std::uint32_t nowMs);
    const MotorPlant& Shaft() const { return shaft_; }
    // What the recorder saw at tMs (the nearest step kept; the present state before the
    // first step).
    Sample At(double tMs) const;
    // The drive's settings from its registers.
    MotorSettings SettingsOf(const Device& device) const;
    static double BenchReference(double tMs);

    void OnAttach(Device& device, std::uint32_t nowMs) override;
    void BeforeRead(Device& device, std::uint16_t first, std::uint16_t count,
                    std::uint32_t nowMs) override;
    void Tick(Device& device, std::uint32_t nowMs) override;
    void OnReset(Device& device, std::uint32_t nowMs) override;

    // Register addresses of one kind.
    struct Map {
        std::uint16_t speedKp, speedKi, speedKp2, feedbackFilter, pidFilter, speedLimit,
            accelerationRamp, decelerationRamp, currentKp, currentTi, peakCurrent, state, mode,
            speedReference, squarePeriod;
    };
    static Map MapFor(DeviceKind kind);

private:
    void StepOnce(Device& device, const MotorSettings& settings);
    Sample Seen(bool enabled) const;

    Map map_{};
    std::array<bool, 11> named_{}; // the settings registers the table names
    Observer* observer_ = nullptr;
    MotorPlant shaft_;
    MotorPlant bench_;
    double startMs_ = 0.0; // engine time of step 0
    std::uint64_t steps_ = 0;
    std::vector<Sample> history_;
    Sample present_{};
};

} // namespace kelm::sim
