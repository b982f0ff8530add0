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

std::uint32_t WindowMs(const Device& device) {
    const std::uint16_t window = device.Registers().Get(TimeWindow);
    return window == 0 ? 500U : std::min<std::uint32_t>(window, 10000U);
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

double ScopeRecorder::Value(Signal signal, const Motor::Sample& sample, double t) {
    switch (signal) {
    case Signal::Speed:
        return sample.speed;
    case Signal::SpeedReference:
        return sample.reference;
    case Signal::Current:
        return sample.current;
    case Signal::CurrentReference:
        return sample.currentReference;
    case Signal::IdCurrent:
        return 2.0 * std::sin(2 * std::numbers::pi * t / 7.0);
    case Signal::PositionError:
        return sample.positionError;
    case Signal::BusVoltage: // 100 Hz ripple and a dip under load
        return 325.0 + 8.0 * std::sin(2 * std::numbers::pi * t / 10.0) -
               0.1 * std::abs(sample.current);
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
    motor_ = device.Find<Motor>();
    if (motor_ != nullptr) {
        motor_->SetObserver(this);
    }
}

void ScopeRecorder::BeforeRead(Device& device, std::uint16_t, std::uint16_t, std::uint32_t nowMs) {
    Tick(device, nowMs);
}

void ScopeRecorder::Tick(Device& device, std::uint32_t nowMs) {
    if (motor_ != nullptr) {
        motor_->AdvanceTo(device, nowMs);
    }
}

void ScopeRecorder::AfterWrite(Device& device, std::uint16_t first, std::uint16_t count,
                               std::uint32_t nowMs) {
    if (static_cast<std::uint16_t>(Command - first) >= count) {
        return;
    }
    if (device.Registers().Get(Command) == 1 && motor_ != nullptr) {
        Arm(device, nowMs);
    } else {
        armed_ = false;
        device.Registers().Set(Command, 0);
    }
}

// The automatic edge records from now; the others wait for channel 1 to cross the level at
// a step of the motor.
void ScopeRecorder::Arm(Device& device, std::uint32_t nowMs) {
    motor_->AdvanceTo(device, nowMs);
    armed_ = true;
    const std::uint16_t edge = device.Registers().Get(Edge);
    if (edge != EdgeRising && edge != EdgeFalling) {
        startMs_ = nowMs;
        dueMs_ = static_cast<double>(nowMs) + WindowMs(device);
        return;
    }
    dueMs_.reset();
    const Signal signal = SignalOf(device.Kind(), device.Registers().Get(Signal1));
    before_ = Value(signal, motor_->At(nowMs), nowMs);
}

void ScopeRecorder::OnMotorStep(Device& device, double tMs, const Motor::Sample& sample) {
    if (!armed_) {
        return;
    }
    const RegisterBank& registers = device.Registers();
    if (!dueMs_) {
        const Signal signal = SignalOf(device.Kind(), registers.Get(Signal1));
        const double value = Value(signal, sample, tMs);
        const double level = static_cast<std::int16_t>(registers.Get(Level));
        const bool crossed = registers.Get(Edge) == EdgeFalling ? before_ > level && value <= level
                                                                : before_ < level && value >= level;
        before_ = value;
        if (!crossed) {
            return;
        }
        const double window = WindowMs(device);
        const double delay = std::min<double>(registers.Get(Delay), window);
        startMs_ = tMs - delay;
        dueMs_ = tMs + window - delay;
    }
    if (!hang_ && tMs >= *dueMs_) {
        armed_ = false;
        Complete(device);
    }
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
                          static_cast<std::uint16_t>(Raw(Value(signal, motor_->At(t), t), factor)));
        }
    }
    registers.Set(Command, 2);
}

} // namespace kelm::sim
