#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelm::sim {

// The two frame variants a drive speaks. Plain frames are laid out like Modbus RTU; link
// frames (the units of a multi-axis link) start with 0xFF in requests and carry the
// device address first, then 0xFF, in replies.
enum class FrameVariant { Plain, Link };

inline constexpr std::uint8_t FunctionRead = 0x03;
inline constexpr std::uint8_t FunctionWrite = 0x10;
inline constexpr std::uint8_t LinkPrefix = 0xFF;
// Exception codes of plain replies.
inline constexpr std::uint8_t ExceptionIllegalFunction = 0x01;
inline constexpr std::uint8_t ExceptionIllegalValue = 0x03;
// Largest register counts a request may carry (Modbus limits).
inline constexpr std::uint16_t MaxReadCount = 125;
inline constexpr std::uint16_t MaxWriteCount = 123;

struct Request {
    std::uint8_t address = 0;
    std::uint8_t function = 0;
    std::uint16_t firstRegister = 0;
    std::uint16_t count = 0;
    std::vector<std::uint16_t> values; // write requests only
};

enum class DecodeStatus {
    NeedMore,  // a frame may be starting: wait for more bytes
    Garbage,   // not a frame start: drop `consumed` bytes and look again
    Valid,     // a complete request with a good CRC
    Exception, // a complete frame with a good CRC that a plain slave refuses (exceptionCode)
    Ignored,   // a complete frame with a good CRC that gets no answer
};

struct DecodeResult {
    DecodeStatus status = DecodeStatus::NeedMore;
    std::size_t consumed = 0;
    Request request; // address and function are set for Valid, Exception and Ignored
    std::uint8_t exceptionCode = 0;
};

// Looks for one request at the start of `data`.
DecodeResult DecodeRequest(FrameVariant variant, const std::uint8_t* data, std::size_t length);

// Replies (CRC appended, low byte first).
std::vector<std::uint8_t> EncodeReadReply(FrameVariant variant, std::uint8_t address,
                                          std::uint16_t firstRegister,
                                          const std::vector<std::uint16_t>& values);
std::vector<std::uint8_t> EncodeWriteReply(FrameVariant variant, std::uint8_t address,
                                           std::uint16_t firstRegister, std::uint16_t count);
// Plain variant only: address, function | 0x80, code, CRC (5 bytes).
std::vector<std::uint8_t> EncodeException(std::uint8_t address, std::uint8_t function,
                                          std::uint8_t code);

// Requests, as a master sends them (used by tests and tools).
std::vector<std::uint8_t> EncodeReadRequest(FrameVariant variant, std::uint8_t address,
                                            std::uint16_t firstRegister, std::uint16_t count);
std::vector<std::uint8_t> EncodeWriteRequest(FrameVariant variant, std::uint8_t address,
                                             std::uint16_t firstRegister,
                                             const std::vector<std::uint16_t>& values);

// Appends the CRC of the bytes so far.
void AppendCrc(std::vector<std::uint8_t>& frame);
// True when the last two bytes are the CRC of the ones before.
bool CrcMatches(const std::uint8_t* frame, std::size_t length);

} // namespace kelm::sim
