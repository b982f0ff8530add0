#include "sim/engine/behaviours/ScopeRecorder.h"

#include "sim/engine/Device.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelm::sim {

namespace {

constexpr std::uint16_t TimeWindow = 50001;
constexpr std::uint16_t Count = 50002;
constexpr std::uint16_t Edge = 50004;
constexpr std::uint16_t Signal1 = 50006;
constexpr std::uint16_t Scale1 = 50008;
constexpr std::uint16_t Factor1 = 50012;
constexpr std::uint16_t Channel1 = 51000;
constexpr std::uint16_t Channel2 = 52000;
constexpr std::uint16_t EdgeAutomatic = 3;

std::uint32_t WindowMs(const Device& device) {
    const std::uint16_t window = device.Registers().Get(TimeWindow);
    return window == 0 ? 500U : std::min<std::uint32_t>(window, 10000U);
}

} // namespace

void ScopeRecorder::BeforeRead(Device& device, std::uint16_t, std::uint16_t, std::uint32_t nowMs) {
    Tick(device, nowMs);
}

void ScopeRecorder::AfterWrite(Device& device, std::uint16_t first, std::uint16_t count,
                               std::uint32_t nowMs) {
    if (static_cast<std::uint16_t>(Command - first) >= count) {
        return;
    }
    armed_ = device.Registers().Get(Command) == 1;
    armedAt_ = nowMs;
    if (!armed_) {
        device.Registers().Set(Command, 0);
    }
}

void ScopeRecorder::Tick(Device& device, std::uint32_t nowMs) {
    if (!armed_) {
        return;
    }
    const bool automatic = device.Registers().Get(Edge) == EdgeAutomatic;
    const std::uint32_t due = (automatic ? 0U : TriggerAfterMs) + WindowMs(device);
    if (nowMs - armedAt_ >= due) {
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
    registers.Set(Count, SampleCount);
    for (int channel = 0; channel < 2; ++channel) {
        registers.Set(static_cast<std::uint16_t>(Factor1 + channel), 2);
        const int periods =
            std::clamp<int>(registers.Get(static_cast<std::uint16_t>(Signal1 + channel)), 1, 20);
        const int scale = registers.Get(static_cast<std::uint16_t>(Scale1 + channel));
        const double amplitude = std::min(3.0 * (scale == 0 ? 1000 : scale), 32767.0);
        const std::uint16_t base = channel == 0 ? Channel1 : Channel2;
        for (int i = 0; i < SampleCount; ++i) {
            const double phase = 2.0 * std::numbers::pi * periods * i / SampleCount;
            const auto sample = static_cast<std::int16_t>(std::lround(amplitude * std::sin(phase)));
            registers.Set(static_cast<std::uint16_t>(base + i), static_cast<std::uint16_t>(sample));
        }
    }
    registers.Set(Command, 2);
}

} // namespace kelm::sim
