#pragma once

#include "core/common/DeviceKind.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace kelm {

// Registers of the loop pages by kind.
struct CurrentAddresses {
    int Inom, Imax, I2t, Kp, Tn;
};
CurrentAddresses CurrentAddressTable(DeviceKind kind);

struct SpeedAddresses {
    int Speed, RampUp, RampDown, EmergencyRamp, Kp, Ki, Kd, PidFilter, Feedback, Rotary;
};
SpeedAddresses SpeedAddressTable(DeviceKind kind);
inline constexpr int RotaryBit = 0x20;

struct PositionAddresses {
    int FeedForward, KpDynamic, KpStatic;
    int ErrorLow, ErrorHigh; // ErrorHigh 0: a 16-bit field on ErrorLow
    int Filter, Polarity, Pulses, Numerator, Denominator;
};
PositionAddresses PositionAddressTable(DeviceKind kind);
inline constexpr int PolarityBit = 0x08;

struct EncoderOutAddresses {
    int Divider, Feedback, Resolution, ResolverPoles;
};
EncoderOutAddresses EncoderOutAddressTable(DeviceKind kind);

// Sets or clears bits of a register word, keeping the others.
inline int WithBit(int value, int bit, bool set) {
    return set ? (value | bit) : (value & ~bit);
}

// " (" + rated current x 2 x percent / 100 as "0.0" + " A)"; empty off line or when the
// rated current is not known (0 or less).
QString AmpereText(double ratedCurrent, int percent, bool online);

// "Pulses per Turn" entries and the entry showing a stored number (-1 when none does).
const std::array<int, 8>& PulsesPerTurn();
int PulsesIndex(int pulses);

// The resulting pulses per motor turn, pulses x denominator / numerator, as "0.##"; "0"
// when the numerator is 0.
QString GearingText(double pulses, int numerator, int denominator);
// Std and Power accept a gear ratio r with -64 <= r < 64 (r = 0 when either number is 0,
// else the larger over the smaller magnitude's number); Drive and Orca 230 accept any.
bool GearRatioAccepted(DeviceKind kind, int numerator, int denominator);

// The divider entries: the line count halved per step, for i below maxValue, each as the
// shortest decimal text of the number.
QStringList DividerEntries(double lineCount, int maxValue);
// The line count of the feedback: resolver (code 1) poles x 512, else the resolution.
double FeedbackLineCount(int feedbackCode, int resolverPoles, int resolution);
// A divider value the list cannot show (0 or past the list) takes the default.
int NormalizeDivider(int value, int defaultValue, int entryCount);

// Whole numbers and fractions as "0.##": at most two decimals, no trailing zeros.
QString TwoDecimalsText(double value);

} // namespace kelm
