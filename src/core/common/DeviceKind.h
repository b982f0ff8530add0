#pragma once

#include <QString>
#include <cstdint>

namespace kelm {

// The configuration in use. The numbers are stored in files and compared by callers.
enum class DeviceKind : std::uint8_t { Std = 0, Power = 1, Drive = 2, Orca230 = 3 };

inline constexpr int DeviceKindCount = 4;

// Kinds outside 1 to 3 are treated as Std.
inline DeviceKind DeviceKindFromNumber(int number) {
    return (number >= 1 && number <= 3) ? static_cast<DeviceKind>(number) : DeviceKind::Std;
}

inline int KindIndex(DeviceKind kind) {
    return static_cast<int>(kind);
}

// Type text used in files and messages.
QString DeviceKindText(DeviceKind kind);

} // namespace kelm
