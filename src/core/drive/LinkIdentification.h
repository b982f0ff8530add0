#pragma once

#include "core/common/DeviceKind.h"

#include <cstdint>
#include <optional>

namespace kelm {

class TDriver;

// Registers 249/250 of a link unit that is a "Tarn Orca 230" (the letters O R C A, two per
// register, the earlier letter in the low byte, the second pair in the lower register).
inline constexpr std::uint16_t OrcaSignatureLow = 0x4143;  // register 249
inline constexpr std::uint16_t OrcaSignatureHigh = 0x524F; // register 250
bool IsOrcaSignature(std::uint16_t register249, std::uint16_t register250);

// What the identification reads found on a link port.
struct LinkIdentity {
    bool Answered = false;         // the signature read succeeded, the port is open
    bool Orca = false;             // a Tarn Orca 230 (talked to at OrcaAddress)
    std::uint8_t PowerAddress = 0; // the link's base address (Power register 4 default)
    int DriveUnits = 0;            // Drive units at PowerAddress + 1 ... (register 6)
    static constexpr std::uint8_t OrcaAddress = 2;
};

// The identification reads of a link port, the same for the drive selection and the command
// line. The driver must hold the Power table as its active table, on a port open in link
// mode. Selects the Power unit's address and sets Online from the link; reads
// registers 6 and 11 and the pair 249/250 (failures reported, 100 ms each); when all three
// succeed the active table is stored back into the Power slot. Nothing else is sent.
LinkIdentity IdentifyLink(TDriver& driver);

// The kind of the unit at `address` on an identified link; nullopt when no unit of the
// link has that address (or the link did not answer).
std::optional<DeviceKind> LinkUnitKind(const LinkIdentity& link, std::uint8_t address);

} // namespace kelm
