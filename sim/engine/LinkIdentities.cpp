#include "sim/engine/LinkIdentities.h"

#include "sim/engine/Engine.h"
#include "sim/engine/behaviours/EepromImage.h"

namespace kelm::sim {

namespace {

constexpr std::uint16_t PowerIdentRegister = 7;
constexpr std::uint16_t DriveIdentRegister = 6;

} // namespace

void NumberLinkUnits(Engine& engine) {
    auto lock = engine.Lock();
    for (Device* device : engine.Devices()) {
        std::uint16_t reg = 0;
        if (device->Kind() == DeviceKind::Power)
            reg = PowerIdentRegister;
        else if (device->Kind() == DeviceKind::Drive)
            reg = DriveIdentRegister;
        else
            continue;
        const ParamEntry* entry = device->Table().FindByAddress(reg);
        if (entry == nullptr ||
            device->Registers().Get(reg) != static_cast<std::uint16_t>(entry->DefaultValue))
            continue;
        device->Registers().Set(reg, device->Address());
        if (auto* eeprom = device->Find<EepromImage>())
            eeprom->Adopt(*device, reg);
    }
}

} // namespace kelm::sim
