#include "sim/engine/behaviours/HistoricAlarms.h"

#include "sim/engine/Device.h"

namespace kelm::sim {

std::uint16_t HistoricAlarms::FilterWrite(Device& device, std::uint16_t address,
                                          std::uint16_t oldValue, std::uint16_t newValue) {
    const KindLayout& layout = device.Layout();
    if (address != layout.historicLow && address != layout.historicHigh) {
        return newValue;
    }
    return newValue == 0 ? 0 : oldValue;
}

void HistoricAlarms::OnAlarm(Device& device, std::uint32_t bits) {
    RegisterBank& registers = device.Registers();
    const KindLayout& layout = device.Layout();
    registers.Set(layout.historicLow, registers.Get(layout.historicLow) | (bits & 0xFFFF));
    registers.Set(layout.historicHigh, registers.Get(layout.historicHigh) | (bits >> 16));
}

} // namespace kelm::sim
