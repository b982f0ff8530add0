#pragma once

#include "core/common/DeviceKind.h"

#include <cstdint>

namespace kelm {

// The fixed registers each drive kind uses for commands and alarms.
struct KindRegisters {
    std::uint16_t Command = 69;
    std::uint16_t Status = 51; // bit 0 set = the last command failed
    std::uint16_t ActiveAlarmLow = 51;
    std::uint16_t ActiveAlarmHigh = 52;
    std::uint16_t HistoricAlarmLow = 83;
    std::uint16_t HistoricAlarmHigh = 84;
};

// The registers of a configuration that describe the link it heads: their defaults are the
// link's base address (the Power unit's own address) and its baud rate in hundreds.
// Zero: the kind heads no link.
struct LinkRegisters {
    std::uint16_t BaseAddress = 0;
    std::uint16_t BaudHundreds = 0;
};

// What is fixed per drive kind: its names, its files and its registers. An empty text
// means the kind has no such thing (a Power unit has no I/O strings, homing or scope).
struct KindDescriptor {
    DeviceKind Kind;
    const char* Word;        // kelmctl's --kind value
    const char* Text;        // the type text of files and messages
    const char* Description; // what the drive is, in a sentence
    const char* ConfigurationFile;
    const char* ConfigurationCaption; // the name in the configuration's open-failure message
    const char* DeviceFileExtension;
    const char* DeviceFileTypeLine;
    const char* IoStringsFile;
    const char* HomingFile;
    const char* AnalogOutLabelsFile;
    const char* ScopeSection; // section of the scope settings file
    const char* MainPageCaption;
    const char* DriveMenuCaption; // with its '&' shortcut
    KindRegisters Registers;
    LinkRegisters Link;
};

// The descriptor of `kind`; kinds outside the enum get Std's.
const KindDescriptor& Describe(DeviceKind kind);
// The link's registers, which the Power configuration holds.
inline const LinkRegisters& TheLinkRegisters() {
    return Describe(DeviceKind::Power).Link;
}
// Whether kind is one of the enum's (a number read from a file or settings may not be).
bool IsDescribed(DeviceKind kind);

} // namespace kelm
