#include "sim/engine/MotorPlant.h"

#include <algorithm>
#include <cmath>

namespace kelm::sim {

namespace {

constexpr int CurrentSubSteps = 4;
constexpr double PositionWrap = 2147483648.0;

// The share a first-order lag of time constant `tenthsMs` (0.1 ms) moves toward its input in
// one step; 1 when the filter is off.
double LagShare(int tenthsMs, double stepMs) {
    return tenthsMs <= 0 ? 1.0 : 1.0 - std::exp(-stepMs / (0.1 * tenthsMs));
}

double Toward(double value, double target, double change) {
    return value < target ? std::min(target, value + change) : std::max(target, value - change);
}

} // namespace

void MotorPlant::Step(const MotorSettings& settings, double targetRpm, bool ramped, bool enabled) {
    Ramp(settings, targetRpm, ramped);
    measured_ += (speed_ - measured_) * LagShare(settings.feedbackFilter, StepMs);
    if (enabled) {
        SpeedLoop(settings);
        CurrentLoop(settings);
    } else {
        integral_ = currentReference_ = current_ = voltageIntegral_ = 0.0;
        reference_ = speed_; // a drive that takes over starts from the shaft's speed
    }
    lastMeasured_ = measured_;
    Shaft(settings);
    positionError_ += (reference_ - speed_) / 60000.0 * StepMs * CountsPerTurn;
    positionError_ = std::clamp(positionError_, -PositionWrap, PositionWrap);
}

void MotorPlant::Stop() {
    const double load = load_;
    *this = MotorPlant{};
    load_ = load;
}

// The ramp times are from rest to the speed limit: moving away from 0 follows the
// acceleration ramp, moving toward 0 the deceleration ramp; through 0 the one ends and the
// other starts.
void MotorPlant::Ramp(const MotorSettings& settings, double target, bool ramped) {
    const double limit = std::max(settings.speedLimit, 0);
    target = std::clamp(target, -limit, limit);
    const bool sameSide = reference_ == 0.0 || (target > 0) == (reference_ > 0);
    const bool away = sameSide && std::abs(target) > std::abs(reference_);
    const int rampMs = away ? settings.accelerationRamp : settings.decelerationRamp;
    if (!ramped || rampMs <= 0) {
        reference_ = target;
        return;
    }
    const double next = Toward(reference_, sameSide ? target : 0.0, limit / rampMs * StepMs);
    reference_ = next;
}

// PI on the filtered speed's error, KP2 against the filtered speed's change, the PID filter
// on the sum, limited to the peak current. The integral stops growing while the output is
// held at the limit.
void MotorPlant::SpeedLoop(const MotorSettings& settings) {
    const double error = reference_ - measured_;
    const double change = (measured_ - lastMeasured_) / StepMs;
    const double peak = std::max(settings.peakCurrent, 0);
    const double proportional = settings.speedKp * KpScale * error;
    const double damping = settings.speedKp2 * Kp2Scale * change;
    const double integral = integral_ + settings.speedKi * KiScale * error * StepMs / 1000.0;
    const double wanted = proportional + integral - damping;
    if (std::abs(wanted) <= peak || std::abs(integral) < std::abs(integral_)) {
        integral_ = integral;
    }
    const double output = std::clamp(proportional + integral_ - damping, -peak, peak);
    currentReference_ += (output - currentReference_) * LagShare(settings.pidFilter, StepMs);
}

// PI on the current error driving the winding (voltage v makes the current v at rest);
// the voltage is limited, the integral held while it is; the current never passes the peak.
void MotorPlant::CurrentLoop(const MotorSettings& settings) {
    const double h = StepMs / CurrentSubSteps;
    const double share = 1.0 - std::exp(-h / WindingMs);
    const double gain = std::max(settings.currentKp, 0) * CurrentKpScale;
    const double tiMs = 0.1 * settings.currentTi;
    const double peak = std::max(settings.peakCurrent, 0);
    for (int i = 0; i < CurrentSubSteps; ++i) {
        const double error = currentReference_ - current_;
        const double integral = tiMs > 0 ? voltageIntegral_ + gain * error * h / tiMs : 0.0;
        const double wanted = gain * error + integral;
        if (std::abs(wanted) <= VoltageLimit || std::abs(integral) < std::abs(voltageIntegral_)) {
            voltageIntegral_ = integral;
        }
        const double voltage =
            std::clamp(gain * error + voltageIntegral_, -VoltageLimit, VoltageLimit);
        current_ = std::clamp(current_ + (voltage - current_) * share, -peak, peak);
    }
}

// Torque balance; friction and the load work against the motion and hold the shaft at rest
// while the motor's torque does not overcome them (they stop it, they do not turn it back);
// the speed stays within the limit.
void MotorPlant::Shaft(const MotorSettings& settings) {
    const double drive = current_;
    const double holding = load_ + DryFrictionPercent;
    if (speed_ == 0.0 && std::abs(drive) <= holding) {
        return;
    }
    const double direction = speed_ != 0.0 ? (speed_ > 0 ? 1.0 : -1.0) : (drive > 0 ? 1.0 : -1.0);
    const double torque = drive - FrictionPercentPerRpm * speed_ - holding * direction;
    double next = speed_ + torque * RpmPerMsPerPercent * StepMs;
    if (speed_ != 0.0 && (next > 0) != (speed_ > 0) && std::abs(drive) <= holding) {
        next = 0.0;
    }
    const double limit = std::max(settings.speedLimit, 0);
    speed_ = std::clamp(next, -limit, limit);
    position_ = std::fmod(position_ + speed_ / 60000.0 * StepMs * CountsPerTurn, PositionWrap);
}

} // namespace kelm::sim
