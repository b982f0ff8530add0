#pragma once

#include "core/common/DeviceKind.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace kelm {

// What the digital and analog I/O pages decide, kept apart from the windows.

inline constexpr int DigitalRowCount = 13;
inline constexpr int DigitalInputCount = 11; // rows 0 to 10; rows 11 and 12 are outputs

// The registers of the digital page by kind; 0 where a row has no selector or field.
struct DigitalAddresses {
    std::uint16_t Effective; // "St" LEDs
    std::uint16_t Hardware;  // "Hw" LEDs
    std::uint16_t ForceOn;   // force-on request mask
    std::uint16_t Release;   // release request mask
    std::array<std::uint16_t, DigitalRowCount> Selector{};
    std::array<std::uint16_t, DigitalRowCount> Parameter{};
    std::uint16_t Slider; // digital speed reference
};
DigitalAddresses DigitalAddressTable(DeviceKind kind);

// How one row is shown for a kind.
struct DigitalRowLayout {
    bool Visible = true;
    bool Switch = false;  // inputs with a force switch
    QString FixedText;    // Orca: "ALARM RESET", "STO 1", "STO 2"
    bool StateLed = true; // the "St" LED (inputs)
    int HardwareBit = 0;  // bit of the hardware-state register
};
DigitalRowLayout DigitalRowLayoutOf(DeviceKind kind, int row);
// Orca: the third output LED "BRAKE" and its hardware bit (-1: no brake LED).
int BrakeLedBit(DeviceKind kind);

// How an LED is lit: off, on, or grey while the page is not live (off line, or before the
// first refresh after coming back on line).
enum class LedShade { Off, On, NotLive };

// A switch click waiting for the next refresh.
enum class SwitchRequest { None, On, Off };
struct RequestMasks {
    std::uint16_t ForceOn = 0;
    std::uint16_t Release = 0;
};
// Bit i of the force-on mask for an on request of row i, of the release mask for an off
// request.
RequestMasks BuildRequestMasks(const std::array<SwitchRequest, DigitalRowCount>& requests);

// The switch shows that the program forces the input: on while the drive uses the input
// and its wire is not active. A switch that is on stays on until both LEDs are off.
bool InitialSwitchState(bool hardware, bool effective);
bool ShownSwitchState(bool current, bool hardware, bool effective);

// Stored selector index at creation: an index outside the list, or a function code an
// earlier row already claims, becomes 0. Returns true when the index was replaced.
bool RepairSelection(int& index, const std::vector<int>& itemCodes,
                     const std::vector<int>& earlierCodes);
// The row other than self that performs this function, -1 when none.
int LockingRow(int code, const std::vector<int>& rowCodes, int self);
// What the page says when the chosen function is locked by another row: the function, then
// the row that performs it (its caption) and what that row shows.
QString LockMessage(const QString& function, const QString& ownerCaption,
                    const QString& ownerShows);

// The registers of the analog page by kind.
struct AnalogAddresses {
    std::array<std::uint16_t, 2> Filter;
    std::array<std::uint16_t, 2> Offset;
    std::array<std::uint16_t, 2> DeadBand;
    std::array<std::uint16_t, 2> Input;
};
AnalogAddresses AnalogAddressTable(DeviceKind kind);

// Offset register (1/32768 of 10 V) <-> tenths of a millivolt. Shown: truncated toward zero;
// entered: rounded away from zero.
std::int32_t OffsetToTenthsMv(std::int32_t raw);
std::int32_t TenthsMvToOffset(std::int32_t tenths);

} // namespace kelm
