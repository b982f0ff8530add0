#pragma once

#include "core/common/DeviceKind.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

namespace kelm {

class ParamTable;
class TDriver;

// The registers model, size and firmware are decoded from.
inline constexpr std::array<std::uint16_t, 3> IdentityRegisters{0, 1, 2};
// Reads those of them the active table holds into it (quietly: a register that does not
// answer stays as it was, and those after it are not asked), as the connection does before
// anything else. false when one did not answer.
bool ReadIdentityRegisters(TDriver& driver);

// Decoders of the identification registers. They read Value of register 0 of the given
// table; a table without register 0 decodes as if it held 0.
int GetModelFamily(DeviceKind kind, const ParamTable& table);
int GetModelSeries(const ParamTable& table);
double GetDriveSize(DeviceKind kind, const ParamTable& table);

// The text of the "Drive Ver." / "Device Ver." panel.
QString ModelText(DeviceKind kind, const ParamTable& table);
// Whether the Std regeneration-resistor choice is enabled for the model family.
bool RegenChoiceEnabled(int family);
// "Closed when ready" exists on Std families 1 and 4 only.
bool ReadyRelayChoiceEnabled(int family);
// A Drive unit whose register 0 high byte is not 5 shows this in the size panel.
bool DriveTypeValid(const ParamTable& table);
inline QString DriveTypeUnknownText() {
    return QStringLiteral("  Tarn Type?");
}

// " " + high byte (two hex digits when 16 or more, else decimal) + "." + low byte.
QString StdFirmwareText(std::uint16_t word);
// " " + high byte + "." + low byte, both decimal.
QString BootVersionText(std::uint16_t word);
// Four upper-case hexadecimal digits.
QString HexWordText(std::uint16_t word);
// r0.r1.r2   r3:r4   r5.r6(000).r7, each signed decimal.
QString HardwareInfoText(const std::array<std::int16_t, 8>& r);
// Size with one decimal: " #0.0" gives " 1.5", "#0.0" gives "1.5".
QString SizeText(double size, bool leadingBlank);

// CAN baud-rate lists: item texts and the register values they stand for.
struct CanBaudList {
    QStringList Items;
    std::array<int, 8> Values{};
    int Count = 0;
};
const CanBaudList& PlainCanBaudList();
const CanBaudList& LinkCanBaudList();
// Index of value in the list, or -1 (the caller then selects item 0 and stores its value).
int CanBaudIndex(const CanBaudList& list, int value);

} // namespace kelm
