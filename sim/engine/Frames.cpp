#include "sim/engine/Frames.h"

#include "sim/engine/Crc16.h"

#include <algorithm>

namespace kelm::sim {

namespace {

std::uint16_t Word(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

void PutWord(std::vector<std::uint8_t>& frame, std::uint16_t value) {
    frame.push_back(static_cast<std::uint8_t>(value >> 8));
    frame.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

std::vector<std::uint16_t> Words(const std::uint8_t* p, std::size_t count) {
    std::vector<std::uint16_t> values(count);
    for (std::size_t i = 0; i < count; ++i) {
        values[i] = Word(p + 2 * i);
    }
    return values;
}

DecodeResult Result(DecodeStatus status, std::size_t consumed) {
    DecodeResult result;
    result.status = status;
    result.consumed = consumed;
    return result;
}

// A frame of a function we do not know has no length field: accept it when some prefix of
// the bytes at hand ends in a matching CRC; give up on it once a whole short frame could
// have arrived.
DecodeResult UnknownFunction(const std::uint8_t* data, std::size_t length, DecodeStatus onMatch) {
    const std::size_t limit = std::min<std::size_t>(length, 256);
    for (std::size_t size = 4; size <= limit; ++size) {
        if (CrcMatches(data, size)) {
            return Result(onMatch, size);
        }
    }
    return length < 8 ? Result(DecodeStatus::NeedMore, 0) : Result(DecodeStatus::Garbage, 1);
}

DecodeResult DecodePlain(const std::uint8_t* data, std::size_t length) {
    if (length < 2) {
        return Result(DecodeStatus::NeedMore, 0);
    }
    const std::uint8_t function = data[1];
    DecodeResult result;
    if (function == FunctionRead) {
        if (length < 8) {
            return Result(DecodeStatus::NeedMore, 0);
        }
        if (!CrcMatches(data, 8)) {
            return Result(DecodeStatus::Garbage, 1);
        }
        result = Result(DecodeStatus::Valid, 8);
        result.request.count = Word(data + 4);
        if (result.request.count == 0 || result.request.count > MaxReadCount) {
            result.status = DecodeStatus::Exception;
            result.exceptionCode = ExceptionIllegalValue;
        }
    } else if (function == FunctionWrite) {
        if (length < 7) {
            return Result(DecodeStatus::NeedMore, 0);
        }
        const std::size_t byteCount = data[6];
        const std::size_t total = 9 + byteCount;
        if (length < total) {
            return Result(DecodeStatus::NeedMore, 0);
        }
        if (!CrcMatches(data, total)) {
            return Result(DecodeStatus::Garbage, 1);
        }
        result = Result(DecodeStatus::Valid, total);
        result.request.count = Word(data + 4);
        if (result.request.count == 0 || result.request.count > MaxWriteCount ||
            byteCount != 2U * result.request.count) {
            result.status = DecodeStatus::Exception;
            result.exceptionCode = ExceptionIllegalValue;
        } else {
            result.request.values = Words(data + 7, result.request.count);
        }
    } else {
        result = UnknownFunction(data, length, DecodeStatus::Exception);
        if (result.status != DecodeStatus::Exception) {
            return result;
        }
        result.exceptionCode = ExceptionIllegalFunction;
    }
    result.request.address = data[0];
    result.request.function = function;
    result.request.firstRegister = Word(data + 2);
    return result;
}

DecodeResult DecodeLink(const std::uint8_t* data, std::size_t length) {
    if (length < 1) {
        return Result(DecodeStatus::NeedMore, 0);
    }
    if (data[0] != LinkPrefix) {
        return Result(DecodeStatus::Garbage, 1);
    }
    if (length < 3) {
        return Result(DecodeStatus::NeedMore, 0);
    }
    const std::uint8_t function = data[2];
    DecodeResult result;
    if (function == FunctionRead || function == FunctionWrite) {
        if (length < 6) {
            return Result(DecodeStatus::NeedMore, 0);
        }
        const std::size_t count = data[5];
        const std::size_t total = function == FunctionRead ? 8 : 2 * count + 8;
        if (length < total) {
            return Result(DecodeStatus::NeedMore, 0);
        }
        if (!CrcMatches(data, total)) {
            return Result(DecodeStatus::Garbage, 1);
        }
        // Link frames have no exception reply: a count of 0, or more registers than a reply
        // can carry (its byte count is one byte), gets no answer.
        const std::size_t limit = function == FunctionRead ? MaxReadCount : MaxWriteCount;
        const bool answerable = count != 0 && count <= limit;
        result = Result(answerable ? DecodeStatus::Valid : DecodeStatus::Ignored, total);
        result.request.count = static_cast<std::uint16_t>(count);
        result.request.firstRegister = Word(data + 3);
        if (function == FunctionWrite) {
            result.request.values = Words(data + 6, count);
        }
    } else {
        result = UnknownFunction(data, length, DecodeStatus::Ignored);
        if (result.status != DecodeStatus::Ignored) {
            return result;
        }
    }
    result.request.address = data[1];
    result.request.function = function;
    return result;
}

} // namespace

DecodeResult DecodeRequest(FrameVariant variant, const std::uint8_t* data, std::size_t length) {
    return variant == FrameVariant::Link ? DecodeLink(data, length) : DecodePlain(data, length);
}

void AppendCrc(std::vector<std::uint8_t>& frame) {
    const std::uint16_t crc = Crc16(frame.data(), frame.size());
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

bool CrcMatches(const std::uint8_t* frame, std::size_t length) {
    if (length < 3) {
        return false;
    }
    const std::uint16_t crc = Crc16(frame, length - 2);
    return frame[length - 2] == (crc & 0xFF) && frame[length - 1] == (crc >> 8);
}

std::vector<std::uint8_t> EncodeReadReply(FrameVariant variant, std::uint8_t address,
                                          std::uint16_t firstRegister,
                                          const std::vector<std::uint16_t>& values) {
    std::vector<std::uint8_t> frame;
    frame.push_back(address);
    if (variant == FrameVariant::Link) {
        frame.push_back(LinkPrefix);
        frame.push_back(FunctionRead);
        PutWord(frame, firstRegister);
    } else {
        frame.push_back(FunctionRead);
    }
    frame.push_back(static_cast<std::uint8_t>(2 * values.size()));
    for (const std::uint16_t value : values) {
        PutWord(frame, value);
    }
    AppendCrc(frame);
    return frame;
}

std::vector<std::uint8_t> EncodeWriteReply(FrameVariant variant, std::uint8_t address,
                                           std::uint16_t firstRegister, std::uint16_t count) {
    std::vector<std::uint8_t> frame;
    frame.push_back(address);
    if (variant == FrameVariant::Link) {
        frame.push_back(LinkPrefix);
        frame.push_back(FunctionWrite);
        PutWord(frame, firstRegister);
        frame.push_back(static_cast<std::uint8_t>(count));
    } else {
        frame.push_back(FunctionWrite);
        PutWord(frame, firstRegister);
        PutWord(frame, count);
    }
    AppendCrc(frame);
    return frame;
}

std::vector<std::uint8_t> EncodeException(std::uint8_t address, std::uint8_t function,
                                          std::uint8_t code) {
    std::vector<std::uint8_t> frame{address, static_cast<std::uint8_t>(function | 0x80), code};
    AppendCrc(frame);
    return frame;
}

std::vector<std::uint8_t> EncodeReadRequest(FrameVariant variant, std::uint8_t address,
                                            std::uint16_t firstRegister, std::uint16_t count) {
    std::vector<std::uint8_t> frame;
    if (variant == FrameVariant::Link) {
        frame = {LinkPrefix, address, FunctionRead};
        PutWord(frame, firstRegister);
        frame.push_back(static_cast<std::uint8_t>(count));
    } else {
        frame = {address, FunctionRead};
        PutWord(frame, firstRegister);
        PutWord(frame, count);
    }
    AppendCrc(frame);
    return frame;
}

std::vector<std::uint8_t> EncodeWriteRequest(FrameVariant variant, std::uint8_t address,
                                             std::uint16_t firstRegister,
                                             const std::vector<std::uint16_t>& values) {
    std::vector<std::uint8_t> frame;
    const auto count = static_cast<std::uint16_t>(values.size());
    if (variant == FrameVariant::Link) {
        frame = {LinkPrefix, address, FunctionWrite};
        PutWord(frame, firstRegister);
        frame.push_back(static_cast<std::uint8_t>(count));
    } else {
        frame = {address, FunctionWrite};
        PutWord(frame, firstRegister);
        PutWord(frame, count);
        frame.push_back(static_cast<std::uint8_t>(2 * count));
    }
    for (const std::uint16_t value : values) {
        PutWord(frame, value);
    }
    AppendCrc(frame);
    return frame;
}

} // namespace kelm::sim
