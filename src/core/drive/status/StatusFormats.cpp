#include "core/drive/status/StatusFormats.h"

#include <cmath>
#include <cstdlib>

namespace kelm {

namespace {

// Rounds half away from zero, as the picture formats do, and reports whether the result
// still carries a sign.
QString SignPrefix(double rounded) {
    return rounded < 0.0 ? QStringLiteral("-") : QString();
}

QString PadDigits(long long magnitude, int minDigits) {
    return QStringLiteral("%1").arg(magnitude, minDigits, 10, QLatin1Char('0'));
}

// value rounded to one decimal, as a magnitude in tenths and its sign.
QString FixedOneDecimal(double value, int minIntegerDigits, const QLocale& locale) {
    const double tenths = std::round(value * 10.0);
    const long long magnitude = std::llabs(static_cast<long long>(tenths));
    return SignPrefix(tenths) + PadDigits(magnitude / 10, minIntegerDigits) +
           locale.decimalPoint() + QString::number(magnitude % 10);
}

} // namespace

QString FormatFiveDigits(int value) {
    const long long magnitude = std::llabs(static_cast<long long>(value));
    return (value < 0 ? QStringLiteral("-") : QString()) + PadDigits(magnitude, 5);
}

QString FormatWhole(double value) {
    const double rounded = std::round(value);
    return SignPrefix(rounded) + PadDigits(std::llabs(static_cast<long long>(rounded)), 1);
}

QString FormatOneDecimal(double value, const QLocale& locale) {
    return FixedOneDecimal(value, 1, locale);
}

QString FormatAngle(double degrees, const QLocale& locale) {
    return FixedOneDecimal(degrees, 3, locale);
}

QString FormatGrouped(std::int32_t value, const QLocale& locale) {
    const QString digits = QString::number(std::llabs(static_cast<long long>(value)));
    const QString separator = locale.groupSeparator();
    QString grouped;
    const int count = static_cast<int>(digits.size());
    for (int i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0)
            grouped += separator;
        grouped += digits[i];
    }
    return (value < 0 ? QStringLiteral("-") : QString()) + grouped;
}

double AngleDegrees(std::uint16_t raw) {
    return raw * 360.0 * (1.0 / 65535.0);
}

std::int32_t PositionFromWords(std::uint16_t high, std::uint16_t low) {
    const std::uint32_t combined = (static_cast<std::uint32_t>(high) << 16) | low;
    return static_cast<std::int32_t>(combined);
}

QString LcdLineText(const std::array<std::uint16_t, 4>& registers) {
    QString text;
    for (const std::uint16_t word : registers) {
        for (const int byte : {word & 0xFF, word >> 8}) {
            if (byte == 0)
                return text;
            text += QChar::fromLatin1(static_cast<char>(byte));
        }
    }
    return text;
}

} // namespace kelm
