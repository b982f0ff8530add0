#pragma once

#include "core/common/DeviceKind.h"
#include "core/rules/EditTracker.h"

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

// The controls' contents. Indexes are list positions (-1: the list is empty).
struct GenInfoSelection {
    int RegenIndex = -1;
    bool OpenWithI2t = false;
    bool ClosedWhenReady = false;
    bool EmergencyStop = false;
    int CanIndex = 0;
    std::int32_t Address = 1;
    std::int32_t Units = 0;
};

// The dialog's edits over the active table: the user's choices and the corrections made
// when it opens. Nothing goes into the table here; the dialog writes exactly these edits.
class GenInfoEdits {
public:
    GenInfoEdits(DeviceKind kind, const ParamTable& table);
    GenInfoEdits(DeviceKind kind, ParamTable&& table) = delete; // it keeps a reference

    // A new showing: drops every edit, then corrects what no item stands for (an unlisted
    // CAN rate becomes the list's first, an unlisted regeneration code the first item's).
    void Open();
    void Clear();
    // What the controls show: the registers' Value with the edits over them.
    GenInfoSelection Selection() const;

    // The user's choices. A list item or a number becomes an edit when it changes what is
    // shown; a relay bit is an edit of its own bit only (other windows write other bits).
    void ChooseRegen(int index);
    void SetRelayBit(std::uint16_t bit, bool on);
    void ChooseCan(int index);
    void SetAddress(std::int32_t address);
    void SetUnits(std::int32_t units);

    // Whether a setting is edited (a register of GenInfoRegistersFor; a relay bit).
    bool Edited(int address) const;
    bool RelayBitEdited(std::uint16_t bit) const;
    bool Empty() const { return edits_.Empty(); }
    const EditTracker& Tracker() const { return edits_; }
    // What is left after a write.
    void Keep(EditTracker left);

private:
    std::int16_t Shown(int address) const;
    void SetWord(int address, std::int16_t value);

    DeviceKind kind_;
    GenInfoRegisters registers_;
    const ParamTable* table_;
    EditTracker edits_;
    std::uint16_t relayBits_ = 0; // the relay bits the user clicked
};

} // namespace kelm
