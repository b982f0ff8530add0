#pragma once

#include "core/common/DeviceKind.h"
#include "core/rules/EditTracker.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

namespace kelm {

class ParamTable;

// What the main parameter page decides from the drive kind, the model and the stored
// codes, kept apart from the window so that it can be checked directly.

// The fourteen registers of the page, by kind (Orca230 and Power use the Std numbers).
struct MainDevAddresses {
    std::uint16_t Mode;            // CMode
    std::uint16_t TorqueSatLevel;  // ETorqSat
    std::uint16_t HwControl;       // CHwControl bits 1-2
    std::uint16_t HomingMethod;    // CSearch
    std::uint16_t SearchAngle;     // ESearch
    std::uint16_t HomingAcc;       // EAcc
    std::uint16_t HomingSpeed;     // ESpeed
    std::uint16_t ZeroSpeed;       // EZero
    std::uint16_t OffsetLow;       // EOffSet low word
    std::uint16_t OffsetHigh;      // EOffSet high word
    std::uint16_t DigitalSpeed;    // ESpd (raw)
    std::uint16_t MaxSpeed;        // divisor of the speed scaling
    std::uint16_t SquareWave;      // ESq
    std::uint16_t TorqueSatSwitch; // bit 6
};
MainDevAddresses MainDevAddressTable(DeviceKind kind);

inline constexpr std::uint16_t MainVoltageRegister = 86;
inline constexpr std::uint16_t DriveModelRegister = 103;
inline constexpr std::uint16_t PowerMainVoltageRegister = 11;
inline constexpr std::uint16_t PowerRegenRegister = 12;
inline constexpr std::uint16_t TorqueSatBit = 0x40;
std::uint16_t FeedbackRegister(DeviceKind kind);
// Packed tags of the two 32-bit position fields EPos1 and EPos2.
std::array<int, 2> PositionTags(DeviceKind kind);

// Operating modes: item index = register value.
QStringList ModeItems(DeviceKind kind);
// The item a stored mode selects (item 0 for a value beyond the list).
int ModeIndex(DeviceKind kind, int value);

// What a mode shows and enables on the page.
struct ModeLayout {
    bool DigitalSpeed = false; // ESpd with "Digital", "Speed", "rpm"
    bool SquareWave = false;   // ESq with "Square", "Wave", "ms"
    bool HwControl = false;    // "Hardware Control " (Std, Position Mode)
    bool SearchAngle = false;  // "Max Search Angle"
    bool SpeedButton = false;
    bool PositionButton = false;
};
ModeLayout LayoutForMode(DeviceKind kind, int mode);
// Captions of the two 32-bit position fields.
std::array<QString, 2> PositionCaptions(int mode);

// Hardware-control bits 1 and 2: 01 = checked, 10 = unchecked; any other state is forced
// to 10.
std::uint16_t NormalizeHwControl(std::uint16_t value);
bool HwControlChecked(std::uint16_t value);
std::uint16_t WithHwControl(std::uint16_t value, bool checked);

// Main voltage choices by model family and series, with the code an unlisted stored code
// becomes.
struct VoltageChoices {
    QStringList Items;
    std::vector<int> Codes;
    int Fallback = 230;
    int IndexOf(int code) const;
};
VoltageChoices MainVoltageChoices(int family, int series);

// Feedback display and the "Encoder Out" rule.
QString FeedbackText(int code);
bool EncoderOutEnabled(DeviceKind kind, int family, int feedbackCode);

// Power unit: main voltage text of register 11.
QString PowerVoltageText(int code);
// Drive unit: model display of register 103.
QString DriveModelText(int code);

// Page caption by kind, the same over the plain and the link protocol.
QString MainDevCaption(DeviceKind kind);

// The edits of the main parameter page over the active table. The page shows a register as
// its edit over Value; a choice becomes an edit only when it changes what the page shows
// (each setter returns whether it did), and the page writes exactly these edits.
class MainDevEdits {
public:
    explicit MainDevEdits(const ParamTable& table) : table_(&table) {}

    std::int16_t Shown(std::uint16_t address) const;
    bool Has(std::uint16_t address) const { return edits_.Has(address); }
    bool Empty() const { return edits_.Empty(); }
    void Clear() { edits_.Clear(); }
    void Drop(std::uint16_t address) { edits_.Drop(address); }
    const EditTracker& Tracker() const { return edits_; }
    // What is left after a write.
    void Keep(EditTracker left) { edits_ = std::move(left); }

    // A whole register: a list's code or a 16-bit field's number.
    bool SetWord(std::uint16_t address, std::int16_t value);
    // A 32-bit field's number over its low-word and high-word registers.
    bool SetPair(std::uint16_t low, std::uint16_t high, std::int32_t number);
    // Bits of a register other windows edit too (the rest stays as the drive holds it).
    bool SetBits(std::uint16_t address, std::uint16_t mask, bool set);
    // Hardware-control bits 1 and 2: the box's state, or the forced 10 of any other state.
    bool SetHwControl(std::uint16_t address, bool checked);
    bool NormalizeHwControlBits(std::uint16_t address);
    // The digital speed reference as the page shows it in rpm (clamped to the limit), and a
    // typed speed: the register is kept as it is when the typed speed is the shown one (rpm
    // and raw do not map one to one everywhere: a maximum of 0, a raw value one rpm beyond
    // the limit).
    std::int32_t ShownRpm(std::uint16_t address, std::int32_t limit) const;
    bool SetRpm(std::uint16_t address, std::int32_t rpm, std::int32_t limit);
    // The speed field over the speed register, scaled by the shown maximum speed: its limit
    // (0 while the table lacks the maximum), the rpm it shows, and a typed speed taken as
    // an edit unless it is the shown one (false too while either register is missing).
    std::int32_t SpeedLimit(std::uint16_t maxSpeed) const;
    std::int32_t ShownSpeed(std::uint16_t speed, std::uint16_t maxSpeed) const;
    bool TakeSpeed(std::uint16_t speed, std::uint16_t maxSpeed, std::int32_t rpm);

private:
    const ParamTable* table_;
    EditTracker edits_;
};

} // namespace kelm
