#include "sim/engine/Frames.h"
#include "sim/engine/Crc16.h"

#include <gtest/gtest.h>

using namespace kelm::sim;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes WithCrc(Bytes frame) {
    AppendCrc(frame);
    return frame;
}

DecodeResult Decode(FrameVariant variant, const Bytes& bytes) {
    return DecodeRequest(variant, bytes.data(), bytes.size());
}

} // namespace

TEST(SimFrames, CrcOfTheReferenceFrameIsSentLowByteFirst) {
    const Bytes frame = WithCrc({0x01, 0x03, 0x00, 0x00, 0x00, 0x01});
    EXPECT_EQ(frame[6], 0x84);
    EXPECT_EQ(frame[7], 0x0A);
    EXPECT_TRUE(CrcMatches(frame.data(), frame.size()));
    Bytes broken = frame;
    broken[3] ^= 0x01;
    EXPECT_FALSE(CrcMatches(broken.data(), broken.size()));
}

TEST(SimFrames, RequestsAndRepliesOfBothVariantsHaveTheirLayouts) {
    EXPECT_EQ(EncodeReadRequest(FrameVariant::Plain, 1, 0x0102, 1),
              WithCrc({0x01, 0x03, 0x01, 0x02, 0x00, 0x01}));
    EXPECT_EQ(EncodeReadRequest(FrameVariant::Link, 1, 0x0102, 1),
              WithCrc({0xFF, 0x01, 0x03, 0x01, 0x02, 0x01}));
    EXPECT_EQ(EncodeWriteRequest(FrameVariant::Link, 7, 0x0010, {0x1234, 0xABCD}),
              WithCrc({0xFF, 7, 0x10, 0x00, 0x10, 2, 0x12, 0x34, 0xAB, 0xCD}));
    EXPECT_EQ(EncodeWriteRequest(FrameVariant::Plain, 7, 0x0010, {0x1234, 0xABCD}),
              WithCrc({7, 0x10, 0x00, 0x10, 0, 2, 4, 0x12, 0x34, 0xAB, 0xCD}));
    EXPECT_EQ(EncodeReadReply(FrameVariant::Plain, 3, 100, {0x0102, 0xFFFE}),
              WithCrc({3, 0x03, 4, 0x01, 0x02, 0xFF, 0xFE}));
    EXPECT_EQ(EncodeReadReply(FrameVariant::Link, 3, 0x0164, {0x0102, 0xFFFE}),
              WithCrc({3, 0xFF, 0x03, 0x01, 0x64, 4, 0x01, 0x02, 0xFF, 0xFE}));
    EXPECT_EQ(EncodeWriteReply(FrameVariant::Plain, 200, 0x0045, 1),
              WithCrc({200, 0x10, 0x00, 0x45, 0x00, 0x01}));
    EXPECT_EQ(EncodeWriteReply(FrameVariant::Link, 200, 0x0045, 1),
              WithCrc({200, 0xFF, 0x10, 0x00, 0x45, 0x01}));
    EXPECT_EQ(EncodeException(5, 0x03, 0x02), WithCrc({5, 0x83, 0x02}));
}

TEST(SimFrames, PlainRequestsDecodeAndPartialFramesWait) {
    const Bytes read = EncodeReadRequest(FrameVariant::Plain, 9, 50000, 14);
    for (std::size_t length = 0; length < read.size(); ++length) {
        EXPECT_EQ(DecodeRequest(FrameVariant::Plain, read.data(), length).status,
                  DecodeStatus::NeedMore)
            << length;
    }
    const DecodeResult decoded = Decode(FrameVariant::Plain, read);
    ASSERT_EQ(decoded.status, DecodeStatus::Valid);
    EXPECT_EQ(decoded.consumed, 8U);
    EXPECT_EQ(decoded.request.address, 9);
    EXPECT_EQ(decoded.request.function, FunctionRead);
    EXPECT_EQ(decoded.request.firstRegister, 50000);
    EXPECT_EQ(decoded.request.count, 14);

    const Bytes write = EncodeWriteRequest(FrameVariant::Plain, 9, 69, {2, 0x8001});
    const DecodeResult written = Decode(FrameVariant::Plain, write);
    ASSERT_EQ(written.status, DecodeStatus::Valid);
    EXPECT_EQ(written.consumed, write.size());
    EXPECT_EQ(written.request.values, (std::vector<std::uint16_t>{2, 0x8001}));
    EXPECT_EQ(DecodeRequest(FrameVariant::Plain, write.data(), write.size() - 1).status,
              DecodeStatus::NeedMore);
}

TEST(SimFrames, PlainFramesThatASlaveRefusesGetExceptionCodes) {
    auto countZero = Decode(FrameVariant::Plain, WithCrc({1, 0x03, 0, 0, 0, 0}));
    EXPECT_EQ(countZero.status, DecodeStatus::Exception);
    EXPECT_EQ(countZero.exceptionCode, ExceptionIllegalValue);
    auto countTooBig = Decode(FrameVariant::Plain, WithCrc({1, 0x03, 0, 0, 0, 126}));
    EXPECT_EQ(countTooBig.exceptionCode, ExceptionIllegalValue);
    EXPECT_EQ(Decode(FrameVariant::Plain, WithCrc({1, 0x03, 0, 0, 0, 125})).status,
              DecodeStatus::Valid);
    // Byte count 2 for a count of 2 registers.
    auto mismatch = Decode(FrameVariant::Plain, WithCrc({1, 0x10, 0, 0, 0, 2, 2, 0, 1}));
    EXPECT_EQ(mismatch.status, DecodeStatus::Exception);
    EXPECT_EQ(mismatch.consumed, 11U);
    auto unknown = Decode(FrameVariant::Plain, WithCrc({1, 0x06, 0, 1, 0, 3}));
    EXPECT_EQ(unknown.status, DecodeStatus::Exception);
    EXPECT_EQ(unknown.exceptionCode, ExceptionIllegalFunction);
    EXPECT_EQ(unknown.consumed, 8U);
}

TEST(SimFrames, GarbageIsSkippedByteByByte) {
    Bytes bad = EncodeReadRequest(FrameVariant::Plain, 1, 0, 1);
    bad[7] ^= 0xFF;
    EXPECT_EQ(Decode(FrameVariant::Plain, bad).status, DecodeStatus::Garbage);
    EXPECT_EQ(Decode(FrameVariant::Plain, bad).consumed, 1U);
    // A stray byte of an unknown function in front of a good frame.
    Bytes stray{0xAA};
    const Bytes good = EncodeReadRequest(FrameVariant::Plain, 1, 0, 1);
    stray.insert(stray.end(), good.begin(), good.end());
    EXPECT_EQ(Decode(FrameVariant::Plain, stray).status, DecodeStatus::Garbage);
    EXPECT_EQ(Decode(FrameVariant::Link, Bytes{0x01, 0xFF}).status, DecodeStatus::Garbage);
}

TEST(SimFrames, LinkRequestsDecode) {
    const Bytes read = EncodeReadRequest(FrameVariant::Link, 11, 193, 5);
    const DecodeResult decoded = Decode(FrameVariant::Link, read);
    ASSERT_EQ(decoded.status, DecodeStatus::Valid);
    EXPECT_EQ(decoded.request.address, 11);
    EXPECT_EQ(decoded.request.firstRegister, 193);
    EXPECT_EQ(decoded.request.count, 5);

    const Bytes write = EncodeWriteRequest(FrameVariant::Link, 11, 202, {0x40});
    const DecodeResult written = Decode(FrameVariant::Link, write);
    ASSERT_EQ(written.status, DecodeStatus::Valid);
    EXPECT_EQ(written.consumed, 10U);
    EXPECT_EQ(written.request.values, std::vector<std::uint16_t>{0x40});
    for (std::size_t length = 0; length < write.size(); ++length) {
        EXPECT_EQ(DecodeRequest(FrameVariant::Link, write.data(), length).status,
                  DecodeStatus::NeedMore);
    }
    EXPECT_EQ(Decode(FrameVariant::Link, WithCrc({0xFF, 1, 0x03, 0, 0, 0})).status,
              DecodeStatus::Ignored);
    // Counts whose reply byte count would not fit its one byte get no answer (128 registers
    // would claim 0 bytes); the plain limits hold for both functions.
    EXPECT_EQ(Decode(FrameVariant::Link, EncodeReadRequest(FrameVariant::Link, 1, 0, 125)).status,
              DecodeStatus::Valid);
    EXPECT_EQ(Decode(FrameVariant::Link, EncodeReadRequest(FrameVariant::Link, 1, 0, 128)).status,
              DecodeStatus::Ignored);
    EXPECT_EQ(Decode(FrameVariant::Link, EncodeReadRequest(FrameVariant::Link, 1, 0, 255)).status,
              DecodeStatus::Ignored);
    const DecodeResult tooMany = Decode(
        FrameVariant::Link, EncodeWriteRequest(FrameVariant::Link, 1, 0,
                                               std::vector<std::uint16_t>(MaxWriteCount + 1, 7)));
    EXPECT_EQ(tooMany.status, DecodeStatus::Ignored);
    EXPECT_EQ(tooMany.consumed, 2U * (MaxWriteCount + 1) + 8);
    // A plain frame is not a link frame.
    EXPECT_EQ(Decode(FrameVariant::Link, EncodeReadRequest(FrameVariant::Plain, 1, 0, 1)).status,
              DecodeStatus::Garbage);
}
