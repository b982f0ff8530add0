#pragma once

#include "core/common/DeviceKind.h"

#include <QString>
#include <QStringList>
#include <cstdint>

namespace kelm {

class ParamTable;

// The general settings dialog without its widgets: which registers each variant edits,
// the identification texts it shows, and the moves between the table and the controls.

// Registers edited per variant; -1 where the variant has no such setting.
struct GenInfoRegisters {
    int Regen = -1;       // regeneration resistor
    int Relay = -1;       // relay and emergency-stop bits
    int Can = -1;         // CAN baud rate
    bool LinkCan = false; // the link list (else the plain list)
    int Address = -1;     // device address
    int AddressMax = 255;
    int Units = -1;       // number of Drive units (Power)
    int HwInfoFirst = -1; // first of the eight hardware-information registers
};
GenInfoRegisters GenInfoRegistersFor(DeviceKind kind);

inline constexpr std::uint16_t RelayOpenWithI2t = 0x100;
inline constexpr std::uint16_t RelayClosedWhenReady = 0x200;
inline constexpr std::uint16_t EmergencyStopEnabled = 0x800;

// What the identification panels show.
struct GenInfoTexts {
    QString GroupCaption; // " Drive " or " Tarn Device"
    QString ModelLabel;   // "Drive Ver." or "Device Ver."
    QString Model;
    QString FirmwareLabel; // "Firmware Ver." or "Firmware"
    QString Firmware;
    QString SizeLabel; // "Size (A)" or "Size (kW)"
    QString Size;
    QString BootLabel; // "Boot Ver." or "Boot"; empty when not shown
    QString Boot;
    QString Application;  // Power only; empty otherwise
    QString HwInfo;       // empty when the variant has no hardware information
    QString RelayCaption; // relay group caption
};
GenInfoTexts GenInfoTextsFor(DeviceKind kind, const ParamTable& table);
inline QString PcSoftwareVersion() {
    return QStringLiteral("2.0.9");
}

// Regeneration resistor choices of the variant (Power: by its main voltage register; an
// empty list means no choice), and whether the choice is enabled.
QStringList GenInfoRegenItems(DeviceKind kind, const ParamTable& table);
bool GenInfoRegenEnabled(DeviceKind kind, const ParamTable& table);

// The controls' contents. Indexes are list positions; a stored code that no item stands
// for selects item 0 (it is stored by the next Apply).
struct GenInfoSelection {
    int RegenIndex = -1;
    bool OpenWithI2t = false;
    bool ClosedWhenReady = false;
    bool EmergencyStop = false;
    int CanIndex = 0;
    std::int32_t Address = 1;
    std::int32_t Units = 0;
};
GenInfoSelection LoadGenInfoSelection(DeviceKind kind, const ParamTable& table);
// Writes the selection into the registers' Value (relay bits by OR/AND on the current
// value, other bits kept). Nothing is sent.
void StoreGenInfoSelection(DeviceKind kind, ParamTable& table, const GenInfoSelection& selection);

} // namespace kelm
