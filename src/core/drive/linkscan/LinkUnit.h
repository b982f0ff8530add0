#pragma once

#include "core/params/ParamTable.h"

#include <cstdint>

namespace kelm {

// One unit of a Tarn link as the overview knows it: the Power unit or one Drive unit.
struct LinkUnit {
    std::uint8_t Address = 0;
    bool IsPower = false;
    bool Answering = false;     // answered its last request
    bool Variant = false;       // Power: register 11 = 400; Drive: register 103 = 600
    std::uint8_t SelectTag = 0; // the unit's address while it answers, else 0
    // Identification register (7 Power, 6 Drive) still to be read: set when the panels are
    // built and whenever a silent unit answers again.
    bool IdentPending = true;
    // The unit's own copy of the Power or Drive configuration table; only DriveValue is used.
    ParamTable Table;

    std::uint16_t IdentRegister() const { return IsPower ? 7 : 6; }
    // First register of the running-time pair (kept in the running-time label's tag).
    std::uint16_t RunningTimeRegister() const { return IsPower ? 26 : 121; }
    // The register a silent unit is probed with.
    std::uint16_t ProbeRegister() const { return IsPower ? 11 : 103; }
    // The register value, 0 when the table has no such entry.
    std::int16_t Reg(std::uint16_t address) const {
        const ParamEntry* entry = Table.FindByAddress(address);
        return entry != nullptr ? entry->DriveValue : 0;
    }
    std::uint16_t UReg(std::uint16_t address) const {
        return static_cast<std::uint16_t>(Reg(address));
    }
    // Marks the identification as not read yet (DriveValue above MaxValue where the 16-bit
    // range allows it; IdentPending in any case).
    void MarkIdentUnread();
};

} // namespace kelm
