#include "core/drive/DriveOwnedRegisters.h"

#include "core/common/PerKind.h"
#include "core/params/ParamEntry.h"

#include <algorithm>
#include <array>
#include <span>

namespace kelm {

namespace {

struct Range {
    std::uint16_t First;
    std::uint16_t Last;
};

// Per kind: identification registers, everything the status poll and the link overview
// read (measured values, states, active alarms, running time) and the alarm history.
constexpr std::array StdOwned{
    Range{0, 1},   Range{51, 53}, Range{55, 55},   Range{58, 62},   Range{65, 65},
    Range{72, 72}, Range{83, 85}, Range{134, 135}, Range{138, 139},
};
constexpr std::array PowerOwned{
    Range{0, 3},   Range{26, 27},   Range{65, 65},   Range{72, 72},   Range{78, 87},
    Range{98, 98}, Range{100, 107}, Range{116, 117}, Range{198, 198}, Range{249, 250},
};
constexpr std::array DriveOwned{
    Range{0, 0},     Range{2, 2},     Range{28, 28},   Range{34, 34},
    Range{51, 52},   Range{103, 103}, Range{116, 122}, Range{184, 187},
    Range{193, 199}, Range{208, 209}, Range{211, 212}, Range{370, 377},
};
constexpr std::array OrcaOwned{
    Range{0, 1},     Range{51, 65},   Range{72, 72},   Range{75, 78},
    Range{81, 84},   Range{134, 135}, Range{138, 139}, Range{143, 145},
    Range{150, 157}, Range{180, 187}, Range{249, 250},
};

constexpr PerKind<std::span<const Range>> OwnedRanges{
    .Std = StdOwned, .Power = PowerOwned, .Drive = DriveOwned, .Orca230 = OrcaOwned};

} // namespace

bool IsSentByTableWrite(DeviceKind kind, const ParamEntry& entry) {
    return entry.SentByTableWrite() && !IsDriveOwned(kind, entry.Address);
}

bool IsDriveOwned(DeviceKind kind, std::uint16_t address) {
    const std::span<const Range> ranges = OwnedRanges[kind];
    return std::any_of(ranges.begin(), ranges.end(), [address](const Range& range) {
        return address >= range.First && address <= range.Last;
    });
}

} // namespace kelm
