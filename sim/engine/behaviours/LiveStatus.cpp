#include "sim/engine/behaviours/LiveStatus.h"

#include "sim/engine/Device.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kelm::sim {

namespace {

constexpr std::uint16_t None = 0xFFFF;
constexpr std::uint16_t InputBits = 0x07FF; // rows 0 to 10

void SetIf(Device& device, std::uint16_t address, int value) {
    if (address != None) {
        device.Registers().Set(address, static_cast<std::uint16_t>(value & 0xFFFF));
    }
}

void SetText(Device& device, std::uint16_t first, const char* text, int registers) {
    const std::size_t length = std::strlen(text);
    for (int i = 0; i < registers; ++i) {
        const std::size_t at = 2 * static_cast<std::size_t>(i);
        const unsigned low = at < length ? static_cast<unsigned char>(text[at]) : ' ';
        const unsigned high = at + 1 < length ? static_cast<unsigned char>(text[at + 1]) : ' ';
        device.Registers().Set(static_cast<std::uint16_t>(first + i),
                               static_cast<std::uint16_t>(low | (high << 8)));
    }
}

} // namespace

LiveStatus::Map LiveStatus::MapFor(DeviceKind kind) {
    switch (kind) {
    case DeviceKind::Drive:
        return {194, 195, 193, 184, 187, 196, 197, 207, 210, 209, 212,
                198, 200, 201, 121, 122, 199, 28,  34,  214, 36};
    case DeviceKind::Power:
        return {None, None, 80,   78, 98, None, None, None, None, None, None,
                None, None, None, 26, 27, None, None, None, None, None};
    case DeviceKind::Std:
    case DeviceKind::Orca230:
        break;
    }
    return {59, 60, 58, 53,   55,   134, 135, 66,  67, 61, 62,
            65, 73, 74, None, None, 72,  138, 139, 80, 31};
}

void LiveStatus::OnAttach(Device& device, std::uint32_t nowMs) {
    map_ = MapFor(device.Kind());
    motor_ = device.Find<Motor>();
    startMs_ = nowMs;
    Update(device, nowMs);
}

void LiveStatus::BeforeRead(Device& device, std::uint16_t, std::uint16_t, std::uint32_t nowMs) {
    Update(device, nowMs);
}

void LiveStatus::Tick(Device& device, std::uint32_t nowMs) {
    Update(device, nowMs);
}

std::uint16_t LiveStatus::FilterWrite(Device& device, std::uint16_t address, std::uint16_t,
                                      std::uint16_t newValue) {
    if (map_.state == None || (address != map_.enableRequest && address != map_.disableRequest)) {
        return newValue;
    }
    if (address == map_.enableRequest)
        ApplyInputs(device, newValue, 0);
    else
        ApplyInputs(device, 0, newValue);
    return 0;
}

// The forced bits follow the state: a bit the state dropped (a procedure, a reset, a "set")
// is no longer forced, a bit it shows beyond the wires is. Then the masks latch or release,
// and the effective state is wires | forced.
void LiveStatus::ApplyInputs(Device& device, std::uint16_t forceOn, std::uint16_t release) {
    if (map_.state == None)
        return;
    const std::uint16_t state = device.Registers().Get(map_.state);
    forced_ = static_cast<std::uint16_t>((forced_ & state) | (state & ~wires_));
    forced_ = static_cast<std::uint16_t>((forced_ | forceOn) & ~release);
    device.Registers().Set(map_.state, static_cast<std::uint16_t>((state & ~InputBits & ~forced_) |
                                                                  forced_ | (wires_ & InputBits)));
}

void LiveStatus::SetWires(Device& device, std::uint16_t wires) {
    if (map_.state != None) {
        const std::uint16_t state = device.Registers().Get(map_.state);
        forced_ = static_cast<std::uint16_t>((forced_ & state) | (state & ~wires_));
        device.Registers().Set(
            map_.state, static_cast<std::uint16_t>((state & ~InputBits) | (forced_ & InputBits)));
    }
    wires_ = wires & InputBits;
    ApplyInputs(device, 0, 0);
}

void LiveStatus::OnReset(Device& device, std::uint32_t nowMs) {
    SetIf(device, map_.state, 0);
    ApplyInputs(device, 0, 0); // the wires stay
    Update(device, nowMs);
}

void LiveStatus::Update(Device& device, std::uint32_t nowMs) {
    if (frozen_) {
        return;
    }
    const std::uint32_t elapsed = nowMs - startMs_;
    const std::uint32_t running = InitialRunningSeconds + elapsed / 1000;
    SetIf(device, map_.runningHigh, static_cast<int>(running >> 16));
    SetIf(device, map_.runningLow, static_cast<int>(running & 0xFFFF));
    if (device.Kind() == DeviceKind::Power) {
        UpdatePower(device, elapsed);
        return;
    }
    const bool enabled = device.Registers().Get(map_.state) & 1U;
    double speed = 0.0;
    double current = 0.0;
    std::uint32_t position = 0;
    if (motor_ != nullptr) {
        motor_->AdvanceTo(device, nowMs);
        speed = motor_->Shaft().Speed();
        current = std::abs(motor_->Shaft().Current());
        position =
            static_cast<std::uint32_t>(static_cast<std::int32_t>(motor_->Shaft().Position()));
    }
    const double wave = std::sin(elapsed / 700.0);
    SetIf(device, map_.speed, static_cast<int>(std::lround(speed)));
    SetIf(device, map_.angle, static_cast<int>(position & 0xFFFF));
    SetIf(device, map_.positionHigh, static_cast<int>(position >> 16));
    SetIf(device, map_.positionLow, static_cast<int>(position & 0xFFFF));
    SetIf(device, map_.current, static_cast<int>(std::lround(current)));
    SetIf(device, map_.busVoltage, 320 + static_cast<int>((elapsed / 1000) % 3));
    SetIf(device, map_.temperature,
          35 + static_cast<int>(std::min<std::uint32_t>(elapsed / 60000, 10)));
    // Hardware word: the input wires and the outputs: ready while enabled, turning while the
    // speed is not 0; the Orca's outputs sit one bit lower, its brake (released while
    // enabled) on bit 15.
    const bool orca = device.Kind() == DeviceKind::Orca230;
    const int outputs = (enabled ? 1 : 0) | (std::lround(speed) != 0 ? 2 : 0);
    SetIf(device, map_.hardware,
          wires_ | (orca ? (outputs << 13) | (enabled ? 0x8000 : 0) : outputs << 14));
    SetIf(device, map_.analogIn1, static_cast<int>(std::lround(1000 * wave)));
    SetIf(device, map_.analogIn2, static_cast<int>(std::lround(500 * std::cos(elapsed / 700.0))));
    if (map_.select1 != None) {
        SetIf(device, map_.output1, Signal(device, device.Registers().Get(map_.select1)));
        SetIf(device, map_.output2, Signal(device, device.Registers().Get(map_.select2)));
    }
    if (device.Kind() == DeviceKind::Orca230) {
        UpdateOrcaExtras(device, elapsed);
    }
}

// An analog output shows the signal its selector names: 0 speed, 1 current, 2 angle,
// anything else the bus voltage.
std::uint16_t LiveStatus::Signal(Device& device, std::uint16_t selector) const {
    switch (selector) {
    case 0:
        return device.Registers().Get(map_.speed);
    case 1:
        return device.Registers().Get(map_.current);
    case 2:
        return device.Registers().Get(map_.angle);
    default:
        return device.Registers().Get(map_.busVoltage);
    }
}

void LiveStatus::UpdatePower(Device& device, std::uint32_t elapsedMs) {
    const double wave = std::sin(elapsedMs / 900.0);
    SetIf(device, 78, 560 + static_cast<int>((elapsedMs / 1000) % 4)); // bus voltage, V
    SetIf(device, 79, 240 + static_cast<int>(std::lround(2 * wave)));  // backup, 0.1 V
    SetIf(device, 80, 35 + static_cast<int>(std::lround(5 * wave)));   // current, 0.1 A
    SetIf(device, 81, 120 + static_cast<int>(std::lround(10 * wave))); // I2t, 0.1 %
    SetIf(device, 82, 15);                                             // regen I2t, 0.1 %
    SetIf(device, 98, 30 + static_cast<int>(std::min<std::uint32_t>(elapsedMs / 60000, 10)));
}

void LiveStatus::UpdateOrcaExtras(Device& device, std::uint32_t elapsedMs) {
    const bool enabled = device.Registers().Get(map_.state) & 1U;
    SetIf(device, 144, 25 + static_cast<int>((elapsedMs / 1000) % 5)); // I2t regen, 0.1 %
    SetIf(device, 145, enabled ? 180 : 0);                             // Iq reference, 0.1 %
    SetText(device, 180, "ORCA 230", 4);
    SetText(device, 184, enabled ? "RUN" : "READY", 4);
}

} // namespace kelm::sim
