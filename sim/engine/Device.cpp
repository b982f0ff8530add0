#include "sim/engine/Device.h"

#include <algorithm>

namespace kelm::sim {

Device::Device(DeviceKind kind, std::uint8_t address, ParamTable table)
    : kind_(kind), address_(address), table_(std::move(table)), layout_(LayoutFor(kind)) {
    for (const ParamEntry& entry : table_) {
        registers_.Set(entry.Address, static_cast<std::uint16_t>(entry.DefaultValue));
    }
}

void Device::AddAlias(std::uint8_t address) {
    if (address != address_ && !AnswersTo(address)) {
        aliases_.push_back(address);
    }
}

bool Device::AnswersTo(std::uint8_t address) const {
    return address == address_ ||
           std::find(aliases_.begin(), aliases_.end(), address) != aliases_.end();
}

Behaviour& Device::AddBehaviour(std::unique_ptr<Behaviour> behaviour, std::uint32_t nowMs) {
    behaviours_.push_back(std::move(behaviour));
    Behaviour& added = *behaviours_.back();
    added.OnAttach(*this, nowMs);
    return added;
}

std::vector<std::uint16_t> Device::Read(std::uint16_t first, std::uint16_t count,
                                        std::uint32_t nowMs) {
    for (auto& behaviour : behaviours_) {
        behaviour->BeforeRead(*this, first, count, nowMs);
    }
    return registers_.GetBlock(first, count);
}

void Device::Write(std::uint16_t first, const std::vector<std::uint16_t>& values,
                   std::uint32_t nowMs) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto address = static_cast<std::uint16_t>(first + i);
        std::uint16_t value = values[i];
        for (auto& behaviour : behaviours_) {
            value = behaviour->FilterWrite(*this, address, registers_.Get(address), value);
        }
        registers_.Set(address, value);
    }
    const auto count = static_cast<std::uint16_t>(values.size());
    for (auto& behaviour : behaviours_) {
        behaviour->AfterWrite(*this, first, count, nowMs);
    }
}

void Device::Tick(std::uint32_t nowMs) {
    for (auto& behaviour : behaviours_) {
        behaviour->Tick(*this, nowMs);
    }
}

bool Device::RunCommand(std::uint16_t bit, std::uint32_t nowMs) {
    bool handled = false;
    for (auto& behaviour : behaviours_) {
        handled = behaviour->OnCommand(*this, bit, nowMs) || handled;
    }
    return handled;
}

void Device::Reset(std::uint32_t nowMs) {
    for (auto& behaviour : behaviours_) {
        behaviour->OnReset(*this, nowMs);
    }
}

void Device::SetAlarms(std::uint32_t bits) {
    registers_.Set(layout_.alarmLow, static_cast<std::uint16_t>(bits & 0xFFFF));
    registers_.Set(layout_.alarmHigh, static_cast<std::uint16_t>(bits >> 16));
    for (auto& behaviour : behaviours_) {
        behaviour->OnAlarm(*this, bits);
    }
}

bool Device::IsParameter(const ParamEntry& entry) const {
    const std::uint16_t a = entry.Address;
    return entry.KindLetter != 'N' && a != 0 && a != layout_.command && a != layout_.alarmLow &&
           a != layout_.alarmHigh && a != layout_.historicLow && a != layout_.historicHigh;
}

void Device::LoadDefaults() {
    for (const ParamEntry& entry : table_) {
        if (IsParameter(entry)) {
            registers_.Set(entry.Address, static_cast<std::uint16_t>(entry.DefaultValue));
        }
    }
}

} // namespace kelm::sim
