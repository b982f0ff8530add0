#pragma once

#include <QLocale>
#include <QString>
#include <array>
#include <cstdint>

namespace kelm {

// Numeric pictures of the status display. They follow the usual picture rules: '0' is a
// digit always shown, '#' a digit shown when significant, ',' asks for thousands grouping
// and '.' is the decimal point. Decimal and group separators come from the locale given.
// A negative value gets a leading minus unless it rounds to zero.

// "00000": at least five digits (-5 gives "-00005").
QString FormatFiveDigits(int value);
// "0": rounded to a whole number.
QString FormatWhole(double value);
// "0.0": one decimal.
QString FormatOneDecimal(double value, const QLocale& locale);
// "000.0": at least three integer digits and one decimal.
QString FormatAngle(double degrees, const QLocale& locale);
// "###,##0": whole number with the locale's thousands grouping.
QString FormatGrouped(std::int32_t value, const QLocale& locale);

// Rotor angle in degrees from the raw register (full turn = 65535).
double AngleDegrees(std::uint16_t raw);
// A 32-bit position from its two registers, high word first.
std::int32_t PositionFromWords(std::uint16_t high, std::uint16_t low);
// Text of an LCD line: two characters per register, the low byte first; a zero byte ends it.
QString LcdLineText(const std::array<std::uint16_t, 4>& registers);

} // namespace kelm
