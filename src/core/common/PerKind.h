#pragma once

#include "core/common/DeviceKind.h"

#include <array>

namespace kelm {

// One value for each drive kind, named so that a table reads as what it is:
//     constexpr PerKind<int> units{.Std = 0, .Power = 6, .Drive = 0, .Orca230 = 0};
// Kinds outside the enum (a number read from a file may be one) read Std's value.
template <class T> struct PerKind {
    T Std;
    T Power;
    T Drive;
    T Orca230;

    constexpr const T& operator[](DeviceKind kind) const {
        constexpr std::array<T PerKind::*, DeviceKindCount> members{
            &PerKind::Std, &PerKind::Power, &PerKind::Drive, &PerKind::Orca230};
        const auto index = static_cast<std::size_t>(kind);
        return this->*members[index < members.size() ? index : 0];
    }
};

} // namespace kelm
