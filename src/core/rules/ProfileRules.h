#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace kelm::profile {

// Register map of the motion profile: a header and 32 tasks of 16 registers each.
inline constexpr int TaskCount = 32;
inline constexpr std::uint16_t FirstTaskRegister = 256;
inline constexpr std::uint16_t PStopRegister = 257;   // 257 high word, 258 low word
inline constexpr std::uint16_t NStopRegister = 259;   // 259 high word, 260 low word
inline constexpr std::uint16_t MaxSpeedRegister = 31; // of the active parameter table
inline constexpr int MaxSpeedCeiling = 6000;
inline constexpr int RampMin = 10;
inline constexpr int RampMax = 5000;
inline constexpr int SpeedMin = 10;

// Offsets of a task's registers from its base.
namespace Offset {
inline constexpr int Position = 0; // +0 high word, +1 low word
inline constexpr int Speed = 2;
inline constexpr int Acc = 3;
inline constexpr int Dec = 4;
inline constexpr int Window = 5; // +5 high word, +6 low word
inline constexpr int WindowTime = 7;
inline constexpr int Next = 8;
inline constexpr int Delay = 9;
} // namespace Offset

// First register of task k (0 to 31).
constexpr std::uint16_t TaskBase(int task) {
    return static_cast<std::uint16_t>(320 + 16 * task);
}

// The maximum position speed from the stored speed limit: at most 6000, never below 0.
int MaxPositionSpeed(std::int16_t storedLimit);

// A register shown in a field: unsigned when the field's maximum is above 32767.
std::int32_t ShownValue(std::int16_t stored, std::int32_t fieldMax);

// The successor list's index for a stored next-task value: 1 to 32 stand, anything else
// is "None" (0).
int SuccessorIndex(std::int16_t stored);

// A task that names itself as its successor cannot be applied.
bool IsProfileLoop(int taskIndex, int successorIndex);

// The stored speed cannot be shown within the field's range.
bool SpeedOverMax(std::int32_t storedSpeed, int maxSpeed);

// The sketch's time axis maximum: the largest ramps and a flat part, in natural logarithms.
double TimeAxisMax();

// The sketch's speed axis maximum: a low scale while the speed is at most a sixth of M.
int SpeedAxisMax(std::int32_t speed, int maxSpeed);

struct SketchPoint {
    double X;
    double Y;
    QString Label;
};

// The trapezoid of one task: start, end of acceleration, start of deceleration, end. The
// ramp fields give the time to reach the maximum speed, so the ramps to the task speed are
// scaled by speed / maximum; the time axis is logarithmic in effect.
std::array<SketchPoint, 4> TrapezoidPoints(std::int32_t speed, std::int32_t acc, std::int32_t dec,
                                           int maxSpeed, double axisMax);

// The task list's entries: "Position Task Nr. 1" ...
QString TaskCaption(int task);

} // namespace kelm::profile
