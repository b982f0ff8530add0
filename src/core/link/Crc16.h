#pragma once

#include <cstddef>
#include <cstdint>

namespace kelm {

// CRC-16/MODBUS (reflected polynomial 0xA001, start 0xFFFF, no final XOR), computed with the
// usual high-byte/low-byte table pair. Stored into a frame low byte first.
std::uint16_t Crc16(const std::uint8_t* bytes, std::size_t length);

} // namespace kelm
