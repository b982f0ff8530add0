#include "core/rules/LoopRules.h"

#include "core/common/PerKind.h"

#include <cmath>
#include <cstdlib>

namespace kelm {

CurrentAddresses CurrentAddressTable(DeviceKind kind) {
    if (kind == DeviceKind::Drive)
        return {17, 18, 23, 19, 20};
    return {13, 14, 21, 15, 16};
}

SpeedAddresses SpeedAddressTable(DeviceKind kind) {
    if (kind == DeviceKind::Drive)
        return {36, 40, 41, 42, 43, 44, 45, 47, 46, 76};
    return {31, 34, 35, 36, 23, 24, 25, 27, 26, 70};
}

PositionAddresses PositionAddressTable(DeviceKind kind) {
    static constexpr PositionAddresses plain{41, 39, 38, 42, 0, 49, 44, 45, 46, 47};
    static constexpr PerKind<PositionAddresses> table{
        .Std = plain,
        .Power = plain,
        .Drive = {59, 57, 58, 61, 60, 71, 66, 68, 69, 70},
        .Orca230 = {41, 38, 39, 42, 0, 49, 44, 45, 46, 47}};
    return table[kind];
}

EncoderOutAddresses EncoderOutAddressTable(DeviceKind kind) {
    if (kind == DeviceKind::Drive)
        return {72, 13, 14, 15};
    return {68, 12, 9, 8};
}

QString AmpereText(double ratedCurrent, int percent, bool online) {
    const double amperes = ratedCurrent * 2.0 * percent * 0.01;
    if (!online || ratedCurrent <= 0.0 || amperes < 0.0)
        return QString();
    return QStringLiteral(" (") + QString::number(amperes, 'f', 1) + QStringLiteral(" A)");
}

const std::array<int, 8>& PulsesPerTurn() {
    static const std::array<int, 8> pulses{128, 256, 512, 1024, 2048, 4096, 8192, 16384};
    return pulses;
}

int PulsesIndex(int pulses) {
    const std::array<int, 8>& list = PulsesPerTurn();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i] == pulses)
            return static_cast<int>(i);
    return -1;
}

QString TwoDecimalsText(double value) {
    QString text = QString::number(value, 'f', 2);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

QString GearingText(double pulses, int numerator, int denominator) {
    if (numerator == 0)
        return QStringLiteral("0");
    return TwoDecimalsText(pulses * denominator / numerator);
}

bool GearRatioAccepted(DeviceKind kind, int numerator, int denominator) {
    if (kind == DeviceKind::Drive || kind == DeviceKind::Orca230)
        return true;
    double ratio = 0.0;
    if (numerator != 0 && denominator != 0) {
        ratio = std::abs(numerator) >= std::abs(denominator)
                    ? static_cast<double>(numerator) / denominator
                    : static_cast<double>(denominator) / numerator;
    }
    return ratio >= -64.0 && ratio < 64.0;
}

QStringList DividerEntries(double lineCount, int maxValue) {
    QStringList entries;
    for (int i = 0; i < maxValue; ++i)
        entries << QString::number(lineCount / std::pow(2.0, i), 'g', 15);
    return entries;
}

double FeedbackLineCount(int feedbackCode, int resolverPoles, int resolution) {
    if (feedbackCode == 1)
        return resolverPoles * 512.0;
    return resolution;
}

int NormalizeDivider(int value, int defaultValue, int entryCount) {
    // A negative value cannot select an entry either.
    if (value <= 0 || value > entryCount)
        value = defaultValue;
    // Nor can a default past the list.
    if (value <= 0 || value > entryCount)
        value = entryCount > 0 ? 1 : 0;
    return value;
}

} // namespace kelm
