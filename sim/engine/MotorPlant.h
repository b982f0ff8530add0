#pragma once

namespace kelm::sim {

// The settings a drive's loops obey, in the units its registers hold: gains as the loop pages
// show them, filters and the current loop's Ti in 0.1 ms, ramps in ms from rest to the speed
// limit (0: no ramp), currents in % of the drive's rated current. The defaults are the shipped
// configuration's.
struct MotorSettings {
    int speedKp = 500;
    int speedKi = 100;
    int speedKp2 = 0;
    int feedbackFilter = 5; // 0.1 ms
    int pidFilter = 5;      // 0.1 ms
    int speedLimit = 3000;  // rpm
    int accelerationRamp = 100;
    int decelerationRamp = 100;
    int currentKp = 800;
    int currentTi = 10;    // 0.1 ms
    int peakCurrent = 200; // %
};

// A servo motor under its drive's cascade, stepped at a fixed small time step:
// - the reference goes through the acceleration/deceleration ramps (when asked) and is held
//   within the speed limit;
// - the speed loop (PI, KP2 on the speed's change, the feedback filter on the measured speed,
//   the PID filter on its output) makes a current reference limited to the peak current;
// - the current loop (PI: KP, Ti) drives a winding of electrical time constant
//   WindingMs at four sub-steps per step; with Ti equal to WindingMs it follows its
//   reference with a first-order lag;
// - the shaft: inertia, viscous and dry friction, a load torque against the motion (it holds the
//   shaft at rest up to its size) and the speed limit.
// Speeds are rpm, currents and torques % of the rated ones (100 % current makes 100 %
// torque), positions counts (65536 per turn).
class MotorPlant {
public:
    static constexpr double StepMs = 0.25;
    static constexpr double CountsPerTurn = 65536.0;
    // Acceleration of 1 % torque on the bare shaft, rpm per ms.
    static constexpr double RpmPerMsPerPercent = 0.25;
    // Viscous friction, % torque per rpm (3 % at 3000 rpm), and dry friction, % torque
    // against the motion (a free motor coasts to rest in seconds).
    static constexpr double FrictionPercentPerRpm = 0.001;
    static constexpr double DryFrictionPercent = 2.0;
    static constexpr double WindingMs = 1.0;
    // Speed loop: current reference per unit of KP (% per rpm), of KI (% per rpm and
    // second), of KP2 (% per rpm/ms of speed change).
    static constexpr double KpScale = 0.0008;
    static constexpr double KiScale = 0.15;
    static constexpr double Kp2Scale = 0.001;
    // Current loop: winding voltage (in % of the current it drives at rest) per unit of KP
    // and per % of current error; the voltage the drive can give.
    static constexpr double CurrentKpScale = 0.0025;
    static constexpr double VoltageLimit = 400.0;

    // One step. `targetRpm` goes through the ramps when `ramped` (else it applies at once);
    // the loops run while `enabled`, else the current is 0 and the motor coasts.
    void Step(const MotorSettings& settings, double targetRpm, bool ramped, bool enabled);
    // Load torque in % of the rated torque (its size; it always works against the motion).
    void SetLoadPercent(double percent) { load_ = percent < 0 ? -percent : percent; }
    double LoadPercent() const { return load_; }
    // At rest, the loops cleared (a restarting drive).
    void Stop();

    double Speed() const { return speed_; }
    double Reference() const { return reference_; }
    double Current() const { return current_; }
    double CurrentReference() const { return currentReference_; }
    // How far the shaft is behind the reference's position, in counts.
    double PositionError() const { return positionError_; }
    // Shaft position in counts, kept within +-2^31.
    double Position() const { return position_; }

private:
    void Ramp(const MotorSettings& settings, double target, bool ramped);
    void SpeedLoop(const MotorSettings& settings);
    void CurrentLoop(const MotorSettings& settings);
    void Shaft(const MotorSettings& settings);

    double load_ = 0.0;
    double reference_ = 0.0;
    double speed_ = 0.0;
    double measured_ = 0.0;     // speed after the feedback filter
    double lastMeasured_ = 0.0; // for KP2
    double integral_ = 0.0;     // speed loop's integral part, %
    double currentReference_ = 0.0;
    double current_ = 0.0;
    double voltageIntegral_ = 0.0; // current loop's integral part
    double positionError_ = 0.0;
    double position_ = 0.0;
};

} // namespace kelm::sim
