#include "ui/alarms/AlarmWords.h"

#include "core/drive/KindRegisters.h"

namespace kelm {

namespace {

std::uint32_t Word(const ParamTable& table, std::uint16_t low, std::uint16_t high) {
    auto value = [&](std::uint16_t address) -> std::uint32_t {
        const ParamEntry* entry = table.FindByAddress(address);
        return entry ? static_cast<std::uint16_t>(entry->DriveValue) : 0U;
    };
    return value(low) | (value(high) << 16);
}

} // namespace

AlarmWords ReadAlarmWords(const ParamTable& table, DeviceKind kind) {
    const KindRegisters r = RegistersOf(kind);
    return {Word(table, r.ActiveAlarmLow, r.ActiveAlarmHigh),
            Word(table, r.HistoricAlarmLow, r.HistoricAlarmHigh)};
}

} // namespace kelm
