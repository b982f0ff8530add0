#include "core/link/RegisterFrames.h"
#include "core/link/Crc16.h"

#include "FakeSerialChannel.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using namespace kelm;
using namespace kelm::frames;
using kelm::test::BitwiseCrc;
using kelm::test::WithCrc;
using Bytes = std::vector<std::uint8_t>;

TEST(Crc16, KnownVectors) {
    const Bytes request = {0x01, 0x03, 0x00, 0x00, 0x00, 0x01};
    const std::uint16_t crc = Crc16(request.data(), request.size());
    EXPECT_EQ(crc & 0xFF, 0x84); // sent first
    EXPECT_EQ(crc >> 8, 0x0A);
    const Bytes check = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(Crc16(check.data(), check.size()), 0x4B37);
    EXPECT_EQ(Crc16(nullptr, 0), 0xFFFF);
}

TEST(Crc16, TablesAgreeWithBitwiseForEveryByteValue) {
    for (int value = 0; value < 256; ++value) {
        const Bytes bytes = {0xFF, static_cast<std::uint8_t>(value), 0x5A};
        ASSERT_EQ(Crc16(bytes.data(), bytes.size()), BitwiseCrc(bytes)) << value;
    }
}

TEST(RegisterFrames, ReadRequestsOfBothVariants) {
    std::array<std::uint8_t, 100> frame{};
    ASSERT_EQ(BuildReadRequest(false, 1, 0x0102, 1, frame.data()), 8u);
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 8),
              WithCrc({0x01, 0x03, 0x01, 0x02, 0x00, 0x01}));
    EXPECT_EQ(ReadReplySize(false, 1), 7u);

    ASSERT_EQ(BuildReadRequest(true, 1, 0x0102, 1, frame.data()), 8u);
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 8),
              WithCrc({0xFF, 0x01, 0x03, 0x01, 0x02, 0x01}));
    EXPECT_EQ(ReadReplySize(true, 1), 10u);

    // Oscilloscope registers: address above 0x7FFF, high byte first.
    BuildReadRequest(false, 200, 50000, 40, frame.data());
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 8), WithCrc({200, 0x03, 0xC3, 0x50, 0x00, 40}));
}

TEST(RegisterFrames, WriteRequestsOfBothVariants) {
    std::array<std::uint8_t, 100> frame{};
    const std::array<std::uint16_t, 2> values = {0x1234, 0xABCD};
    ASSERT_EQ(BuildWriteRequest(true, 3, 0x0010, values, frame.data()), 12u);
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 12),
              WithCrc({0xFF, 0x03, 0x10, 0x00, 0x10, 0x02, 0x12, 0x34, 0xAB, 0xCD}));

    ASSERT_EQ(BuildWriteRequest(false, 3, 0x0010, values, frame.data()), 13u);
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 13),
              WithCrc({0x03, 0x10, 0x00, 0x10, 0x00, 0x02, 0x04, 0x12, 0x34, 0xAB, 0xCD}));
}

TEST(RegisterFrames, LargestFramesFitTheBuffer) {
    EXPECT_EQ(WriteRequestSize(false, 40), 89u);
    EXPECT_EQ(WriteRequestSize(true, 40), 88u);
    EXPECT_EQ(ReadReplySize(true, 40), 88u);
    EXPECT_EQ(ReadReplySize(false, 40), 85u);
    std::array<std::uint8_t, 100> frame{};
    std::array<std::uint16_t, 40> values{};
    values.fill(0xBEEF);
    EXPECT_EQ(BuildWriteRequest(false, 1, 0, values, frame.data()), 89u);
    EXPECT_EQ(frame[6], 80);
}

TEST(RegisterFrames, PlainReadReplyChecksInOrder) {
    const Bytes good = WithCrc({0x05, 0x03, 0x04, 0x00, 0x2A, 0xFF, 0xFE});
    EXPECT_EQ(CheckReadReply(false, good, 5, 0x0102, 2), ReplyCheck::Ok);
    std::array<std::uint16_t, 2> values{};
    ExtractRegisters(false, good, values);
    EXPECT_EQ(values[0], 42);
    EXPECT_EQ(values[1], 0xFFFE);

    Bytes badCrc = good;
    badCrc[3] ^= 0x01;
    EXPECT_EQ(CheckReadReply(false, badCrc, 5, 0x0102, 2), ReplyCheck::BadCrc);
    // CRC comes first: a wrong device with a broken CRC is a CRC failure.
    Bytes both = WithCrc({0x06, 0x03, 0x04, 0, 0, 0, 0});
    both.back() ^= 0xFF;
    EXPECT_EQ(CheckReadReply(false, both, 5, 0x0102, 2), ReplyCheck::BadCrc);
    EXPECT_EQ(CheckReadReply(false, WithCrc({0x06, 0x03, 0x04, 0, 0, 0, 0}), 5, 0, 2),
              ReplyCheck::BadDevice);
    EXPECT_EQ(CheckReadReply(false, WithCrc({0x05, 0x04, 0x04, 0, 0, 0, 0}), 5, 0, 2),
              ReplyCheck::BadFunction);
    EXPECT_EQ(CheckReadReply(false, WithCrc({0x05, 0x03, 0x03, 0, 0, 0, 0}), 5, 0, 2),
              ReplyCheck::BadByteCount);
    // The address is not echoed in plain replies: any request address passes.
    EXPECT_EQ(CheckReadReply(false, good, 5, 0xFFFF, 2), ReplyCheck::Ok);
    // Too short to hold the reply.
    EXPECT_EQ(CheckReadReply(false, Bytes(good.begin(), good.end() - 1), 5, 0, 2),
              ReplyCheck::BadCrc);
}

TEST(RegisterFrames, LinkReadReplyChecksInOrder) {
    const Bytes good = WithCrc({0x02, 0xFF, 0x03, 0x01, 0x02, 0x02, 0x80, 0x01});
    EXPECT_EQ(CheckReadReply(true, good, 2, 0x0102, 1), ReplyCheck::Ok);
    std::array<std::uint16_t, 1> value{};
    ExtractRegisters(true, good, value);
    EXPECT_EQ(value[0], 0x8001);

    EXPECT_EQ(CheckReadReply(true, good, 3, 0x0102, 1), ReplyCheck::BadDevice);
    EXPECT_EQ(CheckReadReply(true, good, 2, 0x0103, 1), ReplyCheck::BadAddress);
    EXPECT_EQ(CheckReadReply(true, good, 2, 0x0202, 1), ReplyCheck::BadAddress);
    EXPECT_EQ(
        CheckReadReply(true, WithCrc({0x02, 0xFE, 0x03, 0x01, 0x02, 0x02, 0, 0}), 2, 0x0102, 1),
        ReplyCheck::BadPrefix);
    EXPECT_EQ(
        CheckReadReply(true, WithCrc({0x02, 0xFF, 0x10, 0x01, 0x02, 0x02, 0, 0}), 2, 0x0102, 1),
        ReplyCheck::BadFunction);
    EXPECT_EQ(
        CheckReadReply(true, WithCrc({0x02, 0xFF, 0x03, 0x01, 0x02, 0x04, 0, 0}), 2, 0x0102, 1),
        ReplyCheck::BadByteCount);
    // A request-shaped echo (FF first) is refused.
    EXPECT_NE(
        CheckReadReply(true, WithCrc({0xFF, 0x02, 0x03, 0x01, 0x02, 0x02, 0, 0}), 2, 0x0102, 1),
        ReplyCheck::Ok);
}

// Write replies: the plain one echoes address and count (its high byte not examined), the
// link one accepts any non-zero count.
TEST(RegisterFrames, WriteReplies) {
    struct Case {
        bool Link;
        Bytes Reply; // without CRC
        std::uint8_t Device;
        std::uint16_t Address;
        ReplyCheck Expected;
    };
    using enum ReplyCheck;
    const Case cases[] = {
        {false, {0x01, 0x10, 0x00, 0x10, 0x00, 0x02}, 1, 0x10, Ok},
        {false, {0x01, 0x10, 0x00, 0x10, 0x7F, 0x02}, 1, 0x10, Ok},
        {false, {0x01, 0x10, 0x00, 0x10, 0x00, 0x03}, 1, 0x10, BadCount},
        {false, {0x01, 0x10, 0x00, 0x11, 0x00, 0x02}, 1, 0x10, BadAddress},
        {false, {0x01, 0x90, 0x00, 0x10, 0x00, 0x02}, 1, 0x10, BadFunction},
        {false, {0x02, 0x10, 0x00, 0x10, 0x00, 0x02}, 1, 0x10, BadDevice},
        {false, {200, 0x10, 0xC3, 0x50, 0x00, 0x02}, 200, 50000, Ok}, // 128..255 like any other
        {true, {0x04, 0xFF, 0x10, 0x00, 0x20, 0x02}, 4, 0x20, Ok},
        {true, {0x04, 0xFF, 0x10, 0x00, 0x20, 0x07}, 4, 0x20, Ok},
        {true, {0x04, 0xFF, 0x10, 0x00, 0x20, 0x00}, 4, 0x20, BadCount},
        {true, {0x04, 0xFF, 0x10, 0x00, 0x21, 0x02}, 4, 0x20, BadAddress},
        {true, {0x04, 0x10, 0xFF, 0x00, 0x20, 0x02}, 4, 0x20, BadPrefix},
        {true, {0x04, 0xFF, 0x03, 0x00, 0x20, 0x02}, 4, 0x20, BadFunction},
        {true, {200, 0xFF, 0x10, 0x00, 0x20, 0x02}, 200, 0x20, Ok},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Reply));
        EXPECT_EQ(CheckWriteReply(c.Link, WithCrc(c.Reply), c.Device, c.Address, 2), c.Expected);
    }
    Bytes broken = WithCrc({0x01, 0x10, 0x00, 0x10, 0x00, 0x02});
    broken[6] ^= 0x40;
    EXPECT_EQ(CheckWriteReply(false, broken, 1, 0x10, 2), BadCrc);
}
