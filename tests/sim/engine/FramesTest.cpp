#include "sim/engine/Frames.h"
#include "sim/engine/Crc16.h"

#include <gtest/gtest.h>

using namespace kelm::sim;
using Bytes = std::vector<std::uint8_t>;

constexpr FrameVariant Plain = FrameVariant::Plain;
constexpr FrameVariant Link = FrameVariant::Link;

static Bytes WithCrc(Bytes frame) {
    AppendCrc(frame);
    return frame;
}

static DecodeResult Decode(FrameVariant variant, const Bytes& bytes) {
    return DecodeRequest(variant, bytes.data(), bytes.size());
}

// The bytes of each frame are checked on the master's side (RegisterFramesTest); every engine
// test reads the simulator's replies with the master's frame checks (SimTestSupport.h).

// Every request decodes to what was encoded, and waits while any byte of it is missing.
TEST(SimFrames, RequestsDecodeAndPartialFramesWait) {
    const struct {
        FrameVariant Variant;
        std::uint8_t Address;
        std::uint16_t First;
        std::uint16_t Count;
        std::vector<std::uint16_t> Values; // a write when not empty
    } cases[] = {
        {Plain, 9, 50000, 14, {}},  {Plain, 9, 69, 2, {2, 0x8001}}, {Link, 11, 193, 5, {}},
        {Link, 11, 202, 1, {0x40}}, {Link, 1, 0, 125, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.First);
        const Bytes frame = c.Values.empty()
                                ? EncodeReadRequest(c.Variant, c.Address, c.First, c.Count)
                                : EncodeWriteRequest(c.Variant, c.Address, c.First, c.Values);
        for (std::size_t length = 0; length < frame.size(); ++length)
            EXPECT_EQ(DecodeRequest(c.Variant, frame.data(), length).status,
                      DecodeStatus::NeedMore);
        const DecodeResult decoded = Decode(c.Variant, frame);
        ASSERT_EQ(decoded.status, DecodeStatus::Valid);
        EXPECT_EQ(decoded.consumed, frame.size());
        EXPECT_EQ(decoded.request.address, c.Address);
        EXPECT_EQ(decoded.request.function, c.Values.empty() ? FunctionRead : FunctionWrite);
        EXPECT_EQ(decoded.request.firstRegister, c.First);
        EXPECT_EQ(decoded.request.count, c.Count);
        EXPECT_EQ(decoded.request.values, c.Values);
    }
}

// A plain slave answers what it refuses with an exception; a link unit keeps silent about
// counts whose reply byte count would not fit its byte (128 registers would claim 0 bytes);
// bytes that make no frame are skipped one at a time.
TEST(SimFrames, RefusedAndBrokenFrames) {
    Bytes badCrc = EncodeReadRequest(Plain, 1, 0, 1);
    badCrc[7] ^= 0xFF;
    Bytes stray{0xAA}; // an unknown function in front of a good frame
    const Bytes good = EncodeReadRequest(Plain, 1, 0, 1);
    stray.insert(stray.end(), good.begin(), good.end());
    const std::vector<std::uint16_t> tooMany(MaxWriteCount + 1, 7);
    const struct {
        const char* Name;
        FrameVariant Variant;
        Bytes Frame;
        DecodeStatus Status;
        std::size_t Consumed;
        std::uint8_t Exception = 0;
    } cases[] = {
        {"count 0", Plain, WithCrc({1, 0x03, 0, 0, 0, 0}), DecodeStatus::Exception, 8,
         ExceptionIllegalValue},
        {"count 126", Plain, WithCrc({1, 0x03, 0, 0, 0, 126}), DecodeStatus::Exception, 8,
         ExceptionIllegalValue},
        {"byte count 2 for 2 registers", Plain, WithCrc({1, 0x10, 0, 0, 0, 2, 2, 0, 1}),
         DecodeStatus::Exception, 11, ExceptionIllegalValue},
        {"function 6", Plain, WithCrc({1, 0x06, 0, 1, 0, 3}), DecodeStatus::Exception, 8,
         ExceptionIllegalFunction},
        {"bad crc", Plain, badCrc, DecodeStatus::Garbage, 1},
        {"stray byte", Plain, stray, DecodeStatus::Garbage, 1},
        {"link count 0", Link, WithCrc({0xFF, 1, 0x03, 0, 0, 0}), DecodeStatus::Ignored, 8},
        {"link count 128", Link, EncodeReadRequest(Link, 1, 0, 128), DecodeStatus::Ignored, 8},
        {"link count 255", Link, EncodeReadRequest(Link, 1, 0, 255), DecodeStatus::Ignored, 8},
        {"link write too long", Link, EncodeWriteRequest(Link, 1, 0, tooMany),
         DecodeStatus::Ignored, 2U * (MaxWriteCount + 1) + 8},
        {"plain frame on a link", Link, good, DecodeStatus::Garbage, 1},
        {"no link marker", Link, Bytes{0x01, 0xFF}, DecodeStatus::Garbage, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const DecodeResult result = Decode(c.Variant, c.Frame);
        EXPECT_EQ(result.status, c.Status);
        EXPECT_EQ(result.consumed, c.Consumed);
        if (c.Status == DecodeStatus::Exception) {
            EXPECT_EQ(result.exceptionCode, c.Exception);
        }
    }
}
