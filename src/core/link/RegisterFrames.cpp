#include "core/link/RegisterFrames.h"

#include "core/link/Crc16.h"

namespace kelm::frames {
namespace {

std::uint8_t High(std::uint16_t value) {
    return static_cast<std::uint8_t>(value >> 8);
}
std::uint8_t Low(std::uint16_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}
std::uint16_t Word(std::uint8_t high, std::uint8_t low) {
    return static_cast<std::uint16_t>((high << 8) | low);
}

} // namespace

void AppendCrc(std::uint8_t* frame, std::size_t length) {
    const std::uint16_t crc = Crc16(frame, length);
    frame[length] = Low(crc);
    frame[length + 1] = High(crc);
}

bool CrcMatches(const std::uint8_t* frame, std::size_t length) {
    return Crc16(frame, length) == Word(frame[length + 1], frame[length]);
}

std::size_t BuildReadRequest(bool linkMode, std::uint8_t device, std::uint16_t address,
                             std::uint8_t count, std::uint8_t* out) {
    if (linkMode) {
        out[0] = LinkPrefix;
        out[1] = device;
        out[2] = ReadFunction;
        out[3] = High(address);
        out[4] = Low(address);
        out[5] = count;
    } else {
        out[0] = device;
        out[1] = ReadFunction;
        out[2] = High(address);
        out[3] = Low(address);
        out[4] = 0;
        out[5] = count;
    }
    AppendCrc(out, 6);
    return ReadRequestSize;
}

std::size_t BuildWriteRequest(bool linkMode, std::uint8_t device, std::uint16_t address,
                              std::span<const std::uint16_t> values, std::uint8_t* out) {
    const auto count = static_cast<std::uint8_t>(values.size());
    std::size_t at = 0;
    if (linkMode) {
        out[at++] = LinkPrefix;
        out[at++] = device;
        out[at++] = WriteFunction;
        out[at++] = High(address);
        out[at++] = Low(address);
        out[at++] = count;
    } else {
        out[at++] = device;
        out[at++] = WriteFunction;
        out[at++] = High(address);
        out[at++] = Low(address);
        out[at++] = 0;
        out[at++] = count;
        out[at++] = static_cast<std::uint8_t>(2 * count);
    }
    for (const std::uint16_t value : values) {
        out[at++] = High(value);
        out[at++] = Low(value);
    }
    AppendCrc(out, at);
    return at + 2;
}

ReplyCheck CheckReadReply(bool linkMode, std::span<const std::uint8_t> reply, std::uint8_t device,
                          std::uint16_t address, std::uint8_t count) {
    const std::size_t dataEnd = ReadReplySize(linkMode, count) - 2;
    if (reply.size() < dataEnd + 2 || !CrcMatches(reply.data(), dataEnd)) {
        return ReplyCheck::BadCrc;
    }
    if (reply[0] != device) {
        return ReplyCheck::BadDevice;
    }
    const auto byteCount = static_cast<std::uint8_t>(2 * count);
    if (!linkMode) {
        if (reply[1] != ReadFunction) {
            return ReplyCheck::BadFunction;
        }
        return reply[2] == byteCount ? ReplyCheck::Ok : ReplyCheck::BadByteCount;
    }
    if (reply[1] != LinkPrefix) {
        return ReplyCheck::BadPrefix;
    }
    if (reply[2] != ReadFunction) {
        return ReplyCheck::BadFunction;
    }
    if (reply[3] != High(address) || reply[4] != Low(address)) {
        return ReplyCheck::BadAddress;
    }
    return reply[5] == byteCount ? ReplyCheck::Ok : ReplyCheck::BadByteCount;
}

ReplyCheck CheckWriteReply(bool linkMode, std::span<const std::uint8_t> reply, std::uint8_t device,
                           std::uint16_t address, std::uint8_t count) {
    if (reply.size() < WriteReplySize || !CrcMatches(reply.data(), 6)) {
        return ReplyCheck::BadCrc;
    }
    if (reply[0] != device) {
        return ReplyCheck::BadDevice;
    }
    if (!linkMode) {
        if (reply[1] != WriteFunction) {
            return ReplyCheck::BadFunction;
        }
        if (Word(reply[2], reply[3]) != address) {
            return ReplyCheck::BadAddress;
        }
        // The count's high byte is not examined.
        return reply[5] == count ? ReplyCheck::Ok : ReplyCheck::BadCount;
    }
    if (reply[1] != LinkPrefix) {
        return ReplyCheck::BadPrefix;
    }
    if (reply[2] != WriteFunction) {
        return ReplyCheck::BadFunction;
    }
    if (Word(reply[3], reply[4]) != address) {
        return ReplyCheck::BadAddress;
    }
    // Link units echo a count that may differ from the request; only 0 is refused.
    return reply[5] != 0 ? ReplyCheck::Ok : ReplyCheck::BadCount;
}

void ExtractRegisters(bool linkMode, std::span<const std::uint8_t> reply,
                      std::span<std::uint16_t> destination) {
    std::size_t at = linkMode ? 6 : 3;
    for (std::uint16_t& value : destination) {
        value = Word(reply[at], reply[at + 1]);
        at += 2;
    }
}

} // namespace kelm::frames
