#pragma once

#include "core/common/DeviceKind.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

namespace kelm {

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

} // namespace kelm
