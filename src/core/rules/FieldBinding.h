#pragma once

#include <cstdint>

namespace kelm {

// How an editing field names its register(s). A 16-bit field's tag is the register
// address. A 32-bit field packs two addresses below 256 into its tag:
// tag = low-word register x 256 + high-word register.
inline constexpr int PackWideTag(int lowRegister, int highRegister) {
    return lowRegister * 256 + highRegister;
}
inline constexpr std::uint16_t WideTagLowRegister(int tag) {
    return static_cast<std::uint16_t>(tag / 256);
}
inline constexpr std::uint16_t WideTagHighRegister(int tag) {
    return static_cast<std::uint16_t>(tag % 256);
}

// The 32-bit number held by a register pair: high x 65536 + low, the low word unsigned.
inline constexpr std::int32_t JoinWords(std::int16_t high, std::int16_t low) {
    const std::uint32_t bits =
        (static_cast<std::uint32_t>(static_cast<std::uint16_t>(high)) << 16) |
        static_cast<std::uint16_t>(low);
    return static_cast<std::int32_t>(bits);
}
inline constexpr std::int16_t HighWordOf(std::int32_t value) {
    return static_cast<std::int16_t>(
        static_cast<std::uint16_t>(static_cast<std::uint32_t>(value) >> 16));
}
inline constexpr std::int16_t LowWordOf(std::int32_t value) {
    return static_cast<std::int16_t>(
        static_cast<std::uint16_t>(static_cast<std::uint32_t>(value) & 0xFFFF));
}

} // namespace kelm
