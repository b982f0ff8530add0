#include "sim/engine/behaviours/ScopeRecorder.h"

#include "sim/engine/Device.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelm::sim {

namespace {

constexpr std::uint16_t TimeWindow = 50001;
constexpr std::uint16_t Count = 50002;
constexpr std::uint16_t Delay = 50003;
constexpr std::uint16_t Edge = 50004;
constexpr std::uint16_t Level = 50005;
constexpr std::uint16_t Signal1 = 50006;
constexpr std::uint16_t Factor1 = 50012;
constexpr std::uint16_t Channel1 = 51000;
constexpr std::uint16_t Channel2 = 52000;
constexpr std::uint16_t EdgeRising = 1;
constexpr std::uint16_t EdgeFalling = 2;
constexpr std::uint32_t TriggerSearchMs = 10000;

// The motor's speed loop: natural period 40 ms, damping 0.4 (about 25 % overshoot).
constexpr double Omega = 2.0 * std::numbers::pi / 40.0;
constexpr double Zeta = 0.4;

std::uint32_t WindowMs(const Device& device) {
    const std::uint16_t window = device.Registers().Get(TimeWindow);
    return window == 0 ? 500U : std::min<std::uint32_t>(window, 10000U);
}

double Reference(double t) {
    const double phase = std::fmod(t, ScopeRecorder::PeriodMs);
    return (phase < 0 ? phase + ScopeRecorder::PeriodMs : phase) < ScopeRecorder::PeriodMs / 2
               ? ScopeRecorder::ReferenceRpm
               : -ScopeRecorder::ReferenceRpm;
}

// The response to the last reference step (the earlier ones have settled).
double Speed(double t) {
    const double half = ScopeRecorder::PeriodMs / 2;
    const double elapsed = t - std::floor(t / half) * half;
    const double target = Reference(t);
    const double wd = Omega * std::sqrt(1 - Zeta * Zeta);
    const double decay = std::exp(-Zeta * Omega * elapsed);
    const double shape = decay * (std::cos(wd * elapsed) +
                                  Zeta / std::sqrt(1 - Zeta * Zeta) * std::sin(wd * elapsed));
    return target - 2 * target * shape;
}

// Torque current: acceleration plus a little friction, limited to 100 %.
double Current(double t) {
    const double acceleration = (Speed(t + 0.25) - Speed(t - 0.25)) / 0.5; // rpm per ms
    return std::clamp(0.5 * acceleration + 5.0 * (Speed(t) >= 0 ? 1 : -1), -100.0, 100.0);
}

} // namespace

ScopeRecorder::Signal ScopeRecorder::SignalOf(DeviceKind kind, int number) {
    static constexpr Signal plain[] = {Signal::Speed,         Signal::SpeedReference,
                                       Signal::Current,       Signal::CurrentReference,
                                       Signal::PositionError, Signal::BusVoltage,
                                       Signal::AnalogInput,   Signal::DriveState};
    static constexpr Signal tarn[] = {
        Signal::Speed,      Signal::SpeedReference,   Signal::Current,
        Signal::IdCurrent,  Signal::CurrentReference, Signal::PositionError,
        Signal::BusVoltage, Signal::DriveState};
    const int index = std::clamp(number, 1, 8) - 1;
    return kind == DeviceKind::Std ? plain[index] : tarn[index];
}

double ScopeRecorder::Value(Signal signal, double t) {
    switch (signal) {
    case Signal::Speed:
        return Speed(t);
    case Signal::SpeedReference:
        return Reference(t);
    case Signal::Current:
        return Current(t);
    case Signal::CurrentReference:
        return std::clamp(1.15 * Current(t + 1.0), -100.0, 100.0);
    case Signal::IdCurrent:
        return 2.0 * std::sin(2 * std::numbers::pi * t / 7.0);
    case Signal::PositionError: // counts behind the reference, 0.3 per rpm of lag
        return 0.3 * (Reference(t) - Speed(t));
    case Signal::BusVoltage: // 100 Hz ripple and a dip under load
        return 325.0 + 8.0 * std::sin(2 * std::numbers::pi * t / 10.0) - 0.1 * std::abs(Current(t));
    case Signal::AnalogInput: // a slow sine on analog input 1, mV
        return 3000.0 * std::sin(2 * std::numbers::pi * t / 250.0);
    case Signal::DriveState:
        return 1.0;
    }
    return 0.0;
}

std::int16_t ScopeRecorder::Raw(double value, std::int16_t factor) {
    const int divisor = factor / 2;
    if (divisor != 0)
        value = (factor & 1) != 0 ? value * divisor : value / divisor;
    return static_cast<std::int16_t>(std::clamp(std::lround(value), -32768L, 32767L));
}

void ScopeRecorder::OnAttach(Device& device, std::uint32_t) {
    device.Registers().Set(Count, SampleCount);
    device.Registers().Set(Factor1, 2);
    device.Registers().Set(Factor1 + 1, 2);
}

void ScopeRecorder::BeforeRead(Device& device, std::uint16_t, std::uint16_t, std::uint32_t nowMs) {
    Tick(device, nowMs);
}

void ScopeRecorder::AfterWrite(Device& device, std::uint16_t first, std::uint16_t count,
                               std::uint32_t nowMs) {
    if (static_cast<std::uint16_t>(Command - first) >= count) {
        return;
    }
    if (device.Registers().Get(Command) == 1) {
        Arm(device, nowMs);
    } else {
        armed_ = false;
        device.Registers().Set(Command, 0);
    }
}

// Finds the trigger on channel 1 (searching ahead of time: the motor is a function of
// time) and so when the record is full.
void ScopeRecorder::Arm(Device& device, std::uint32_t nowMs) {
    const RegisterBank& registers = device.Registers();
    armed_ = true;
    const std::uint32_t window = WindowMs(device);
    const std::uint16_t edge = registers.Get(Edge);
    if (edge != EdgeRising && edge != EdgeFalling) {
        startMs_ = nowMs;
        dueMs_ = nowMs + window;
        return;
    }
    const double delay = std::min<double>(registers.Get(Delay), window);
    const double level = static_cast<std::int16_t>(registers.Get(Level));
    const Signal signal = SignalOf(device.Kind(), registers.Get(Signal1));
    dueMs_.reset();
    double before = Value(signal, nowMs);
    for (std::uint32_t t = nowMs + 1; t <= nowMs + TriggerSearchMs; ++t) {
        const double value = Value(signal, t);
        const bool crossed = edge == EdgeRising ? before < level && value >= level
                                                : before > level && value <= level;
        if (crossed) {
            startMs_ = t - delay;
            dueMs_ = static_cast<std::uint32_t>(std::max<double>(t + window - delay, nowMs));
            return;
        }
        before = value;
    }
}

void ScopeRecorder::Tick(Device& device, std::uint32_t nowMs) {
    if (!armed_ || hang_ || !dueMs_ || static_cast<std::int32_t>(nowMs - *dueMs_) < 0) {
        return;
    }
    armed_ = false;
    Complete(device);
}

void ScopeRecorder::OnReset(Device& device, std::uint32_t) {
    armed_ = false;
    device.Registers().Set(Command, 0);
}

void ScopeRecorder::Complete(Device& device) const {
    RegisterBank& registers = device.Registers();
    const int count = std::min<int>(registers.Get(Count), MaxStored);
    const double window = WindowMs(device);
    for (int channel = 0; channel < 2; ++channel) {
        const Signal signal =
            SignalOf(device.Kind(), registers.Get(static_cast<std::uint16_t>(Signal1 + channel)));
        const auto factor =
            static_cast<std::int16_t>(registers.Get(static_cast<std::uint16_t>(Factor1 + channel)));
        const std::uint16_t base = channel == 0 ? Channel1 : Channel2;
        for (int i = 0; i < count; ++i) {
            const double t = startMs_ + window * i / count;
            registers.Set(static_cast<std::uint16_t>(base + i),
                          static_cast<std::uint16_t>(Raw(Value(signal, t), factor)));
        }
    }
    registers.Set(Command, 2);
}

} // namespace kelm::sim
