#pragma once

#include <cstddef>
#include <cstdint>

namespace kelm::sim {

// CRC-16/MODBUS (reflected 0xA001, initial 0xFFFF, no final XOR). On the wire the low byte
// goes first.
std::uint16_t Crc16(const std::uint8_t* data, std::size_t length);

} // namespace kelm::sim
