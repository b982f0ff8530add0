#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kelm {

// Frame building and checking of the register protocol, as pure functions.
//
// Plain frames are laid out like Modbus RTU. Link-mode frames (multi-axis link) start with
// 0xFF then the device address in a request, the device address then 0xFF in a reply. Every
// frame ends with the CRC of all bytes before it, low byte first. Register values and
// addresses go high byte first on the wire.
namespace frames {

inline constexpr std::uint8_t ReadFunction = 0x03;
inline constexpr std::uint8_t WriteFunction = 0x10;
inline constexpr std::uint8_t LinkPrefix = 0xFF;

// Sizes in bytes, n = register count.
inline constexpr std::size_t ReadRequestSize = 8;
inline constexpr std::size_t WriteReplySize = 8;
constexpr std::size_t ReadReplySize(bool linkMode, std::size_t n) {
    return linkMode ? 2 * n + 8 : 2 * n + 5;
}
constexpr std::size_t WriteRequestSize(bool linkMode, std::size_t n) {
    return linkMode ? 2 * n + 8 : 2 * n + 9;
}

// Why a reply was refused, in checking order.
enum class ReplyCheck {
    Ok,
    BadCrc,
    BadDevice,
    BadPrefix, // link mode: the 0xFF after the device address
    BadFunction,
    BadAddress,   // echoed register address
    BadByteCount, // read reply byte count differs from 2n
    BadCount,     // write reply register count
};

// Writes the request into `out` (large enough for the size above); returns its size.
std::size_t BuildReadRequest(bool linkMode, std::uint8_t device, std::uint16_t address,
                             std::uint8_t count, std::uint8_t* out);
std::size_t BuildWriteRequest(bool linkMode, std::uint8_t device, std::uint16_t address,
                              std::span<const std::uint16_t> values, std::uint8_t* out);

// `reply` holds exactly ReadReplySize / WriteReplySize bytes.
ReplyCheck CheckReadReply(bool linkMode, std::span<const std::uint8_t> reply, std::uint8_t device,
                          std::uint16_t address, std::uint8_t count);
ReplyCheck CheckWriteReply(bool linkMode, std::span<const std::uint8_t> reply, std::uint8_t device,
                           std::uint16_t address, std::uint8_t count);

// Copies the registers of a checked read reply into `destination` (native values).
void ExtractRegisters(bool linkMode, std::span<const std::uint8_t> reply,
                      std::span<std::uint16_t> destination);

// Appends the CRC of the first `length` bytes at `frame + length`.
void AppendCrc(std::uint8_t* frame, std::size_t length);
// True when the two bytes after the first `length` bytes hold their CRC.
bool CrcMatches(const std::uint8_t* frame, std::size_t length);

} // namespace frames
} // namespace kelm
