#include "sim/engine/behaviours/Motor.h"

#include "sim/engine/Device.h"

#include <cmath>

namespace kelm::sim {

namespace {

constexpr std::uint16_t DigitalSpeedMode = 1;
constexpr std::uint16_t SquareWaveMode = 10;

// Signed 16-bit register value.
int Signed(const Device& device, std::uint16_t address) {
    return static_cast<std::int16_t>(device.Registers().Get(address));
}

// +-amplitude, positive in the first half of each period of the engine's clock.
double Square(double tMs, double periodMs, double amplitude) {
    const double phase = std::fmod(tMs, periodMs);
    return (phase < 0 ? phase + periodMs : phase) < periodMs / 2 ? amplitude : -amplitude;
}

} // namespace

Motor::Map Motor::MapFor(DeviceKind kind) {
    if (kind == DeviceKind::Drive) {
        return {43, 44, 45, 46, 47, 36, 40, 41, 19, 20, 18, 198, 78, 214, 56};
    }
    return {23, 24, 25, 26, 27, 31, 34, 35, 15, 16, 14, 65, 71, 80, 37};
}

double Motor::BenchReference(double tMs) {
    return Square(tMs, BenchPeriodMs, BenchRpm);
}

void Motor::SetLoadPercent(double percent) {
    shaft_.SetLoadPercent(percent);
    bench_.SetLoadPercent(percent);
}

void Motor::OnAttach(Device& device, std::uint32_t nowMs) {
    map_ = MapFor(device.Kind());
    const std::uint16_t settings[] = {map_.speedKp,          map_.speedKi,          map_.speedKp2,
                                      map_.feedbackFilter,   map_.pidFilter,        map_.speedLimit,
                                      map_.accelerationRamp, map_.decelerationRamp, map_.currentKp,
                                      map_.currentTi,        map_.peakCurrent};
    for (std::size_t i = 0; i < named_.size(); ++i) {
        named_[i] = device.Table().FindByAddress(settings[i]) != nullptr;
    }
    startMs_ = nowMs;
    history_.assign(HistorySteps, Sample{});
}

MotorSettings Motor::SettingsOf(const Device& device) const {
    MotorSettings settings;
    int* const fields[] = {
        &settings.speedKp,          &settings.speedKi,          &settings.speedKp2,
        &settings.feedbackFilter,   &settings.pidFilter,        &settings.speedLimit,
        &settings.accelerationRamp, &settings.decelerationRamp, &settings.currentKp,
        &settings.currentTi,        &settings.peakCurrent};
    const std::uint16_t addresses[] = {
        map_.speedKp,   map_.speedKi,    map_.speedKp2,         map_.feedbackFilter,
        map_.pidFilter, map_.speedLimit, map_.accelerationRamp, map_.decelerationRamp,
        map_.currentKp, map_.currentTi,  map_.peakCurrent};
    for (std::size_t i = 0; i < named_.size(); ++i) {
        if (named_[i]) {
            *fields[i] = std::max(Signed(device, addresses[i]), 0);
        }
    }
    return settings;
}

void Motor::BeforeRead(Device& device, std::uint16_t, std::uint16_t, std::uint32_t nowMs) {
    AdvanceTo(device, nowMs);
}

void Motor::Tick(Device& device, std::uint32_t nowMs) {
    AdvanceTo(device, nowMs);
}

void Motor::OnReset(Device& device, std::uint32_t nowMs) {
    AdvanceTo(device, nowMs);
    shaft_.Stop();
}

void Motor::AdvanceTo(Device& device, std::uint32_t nowMs) {
    const double now = nowMs;
    double time = startMs_ + static_cast<double>(steps_) * MotorPlant::StepMs;
    if (now - time > MaxCatchUpMs) {
        startMs_ += now - MaxCatchUpMs - time;
        time = now - MaxCatchUpMs;
    }
    if (now < time + MotorPlant::StepMs) {
        return;
    }
    const MotorSettings settings = SettingsOf(device);
    while (time + MotorPlant::StepMs <= now) {
        StepOnce(device, settings);
        time = startMs_ + static_cast<double>(steps_) * MotorPlant::StepMs;
    }
}

void Motor::StepOnce(Device& device, const MotorSettings& settings) {
    const double t = startMs_ + static_cast<double>(steps_ + 1) * MotorPlant::StepMs;
    const bool enabled = (device.Registers().Get(map_.state) & 1U) != 0;
    // The digital speed reference counts 32767 for the speed limit's register. The digital
    // speed and square-wave modes follow it; the others run at the running speed while it
    // is 0 (the analog reference).
    const int raw = Signed(device, map_.speedReference);
    const int maximum = Signed(device, map_.speedLimit);
    const double digital = maximum > 0 ? raw * maximum / 32767.0 : 0.0;
    const std::uint16_t mode = device.Registers().Get(map_.mode);
    if (mode == SquareWaveMode) {
        const double period = std::max(Signed(device, map_.squarePeriod), 2);
        shaft_.Step(settings, Square(t, period, digital), false, enabled);
    } else {
        const bool analog = mode != DigitalSpeedMode && raw == 0;
        shaft_.Step(settings, analog ? RunningSpeedRpm : digital, true, enabled);
    }
    bench_.Step(settings, BenchReference(t), false, true);
    ++steps_;
    present_ = Seen(enabled);
    history_[steps_ % HistorySteps] = present_;
    if (observer_ != nullptr) {
        observer_->OnMotorStep(device, t, present_);
    }
}

Motor::Sample Motor::Seen(bool enabled) const {
    const MotorPlant& plant = enabled ? shaft_ : bench_;
    return {static_cast<float>(plant.Speed()), static_cast<float>(plant.Reference()),
            static_cast<float>(plant.Current()), static_cast<float>(plant.CurrentReference()),
            static_cast<float>(plant.PositionError())};
}

Motor::Sample Motor::At(double tMs) const {
    if (steps_ == 0) {
        return present_;
    }
    const double index = std::round((tMs - startMs_) / MotorPlant::StepMs);
    const std::uint64_t oldest = steps_ >= HistorySteps ? steps_ - HistorySteps + 1 : 1;
    const auto step = static_cast<std::uint64_t>(
        std::clamp(index, static_cast<double>(oldest), static_cast<double>(steps_)));
    return history_[step % HistorySteps];
}

} // namespace kelm::sim
