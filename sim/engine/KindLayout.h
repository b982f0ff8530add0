#pragma once

#include "core/common/DeviceKind.h"

#include <cstdint>

namespace kelm::sim {

// Command bits of the command register.
inline constexpr std::uint16_t CommandReloadEeprom = 0x01;
inline constexpr std::uint16_t CommandSaveEeprom = 0x02;
inline constexpr std::uint16_t CommandLoadDefaults = 0x04;
inline constexpr std::uint16_t CommandSpeedOffset = 0x08;
inline constexpr std::uint16_t CommandSaveProfiles = 0x20;
inline constexpr std::uint16_t CommandLoadProfiles = 0x40;
inline constexpr std::uint16_t CommandReset = 0x80;
inline constexpr std::uint16_t CommandTorqueOffset = 0x100;

// Profile registers kept in flash, and the Orca signature (letters O R C A, two per
// register, earlier letter in the low byte, second pair in the lower register).
inline constexpr std::uint16_t ProfileFirst = 256;
inline constexpr std::uint16_t ProfileLast = 831;
inline constexpr std::uint16_t OrcaSignatureRegister = 249;
inline constexpr std::uint16_t OrcaSignatureLow = 0x4143;
inline constexpr std::uint16_t OrcaSignatureHigh = 0x524F;
inline constexpr std::uint8_t OrcaLinkAddress = 2;

// Register of the plain drive that holds its own address.
inline constexpr std::uint16_t StdAddressRegister = 2;

// Power configuration registers that describe the link.
inline constexpr std::uint16_t PowerBaseAddressRegister = 4;
inline constexpr std::uint16_t PowerBaudRegister = 5;
inline constexpr std::uint16_t PowerUnitCountRegister = 6;

// Where each kind keeps its command, status and alarm words. The status register is the
// low active-alarm word (bit 0 = fault); the alarm words hold bits 0-15 in the lower
// register.
struct KindLayout {
    std::uint16_t command;
    std::uint16_t alarmLow;
    std::uint16_t alarmHigh;
    std::uint16_t historicLow;
    std::uint16_t historicHigh;
    std::uint16_t defaultModel; // register 0 unless set otherwise
    bool hasProfiles;
};

inline KindLayout LayoutFor(DeviceKind kind) {
    switch (kind) {
    case DeviceKind::Power:
        return {90, 83, 84, 86, 87, 0x0564, false};
    case DeviceKind::Drive:
        return {202, 116, 117, 119, 120, 0x0566, true};
    case DeviceKind::Orca230:
        return {69, 51, 52, 83, 84, 50, true};
    case DeviceKind::Std:
        break;
    }
    return {69, 51, 52, 83, 84, 0x0401, true};
}

} // namespace kelm::sim
