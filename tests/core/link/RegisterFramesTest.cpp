#include "core/link/RegisterFrames.h"
#include "core/link/Crc16.h"
#include "sim/engine/Crc16.h"

#include "FakeSerialChannel.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using namespace kelm;
using namespace kelm::frames;
using kelm::test::WithCrc;
using Bytes = std::vector<std::uint8_t>;

namespace {

// A read request for `count` registers, or a write request of `values` when given.
Bytes Request(bool link, std::uint8_t device, std::uint16_t address, std::uint8_t count,
              std::span<const std::uint16_t> values = {}) {
    std::array<std::uint8_t, 100> frame{};
    const std::size_t size = values.empty()
                                 ? BuildReadRequest(link, device, address, count, frame.data())
                                 : BuildWriteRequest(link, device, address, values, frame.data());
    return Bytes(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(size));
}

Bytes Damaged(Bytes frame) {
    frame.back() ^= 0x40;
    return frame;
}

} // namespace

TEST(Crc16, KnownVectorsAndEveryByteValue) {
    const Bytes check = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(Crc16(check.data(), check.size()), 0x4B37);
    EXPECT_EQ(Crc16(nullptr, 0), 0xFFFF);
    for (int value = 0; value < 256; ++value) {
        const Bytes bytes = {0xFF, static_cast<std::uint8_t>(value), 0x5A};
        ASSERT_EQ(Crc16(bytes.data(), bytes.size()), sim::Crc16(bytes.data(), bytes.size()))
            << value;
    }
}

TEST(RegisterFrames, RequestsOfBothVariants) {
    const std::array<std::uint16_t, 2> two = {0x1234, 0xABCD};
    const std::pair<Bytes, Bytes> cases[] = {
        {Request(false, 1, 0, 1), {1, 3, 0, 0, 0, 1, 0x84, 0x0A}}, // CRC low byte first
        {Request(true, 1, 0x0102, 1), WithCrc({0xFF, 0x01, 0x03, 0x01, 0x02, 0x01})},
        // Oscilloscope registers: address above 0x7FFF, high byte first.
        {Request(false, 200, 50000, 40), WithCrc({200, 0x03, 0xC3, 0x50, 0x00, 40})},
        {Request(true, 3, 0x0010, 0, two),
         WithCrc({0xFF, 0x03, 0x10, 0x00, 0x10, 0x02, 0x12, 0x34, 0xAB, 0xCD})},
        {Request(false, 3, 0x0010, 0, two),
         WithCrc({0x03, 0x10, 0x00, 0x10, 0x00, 0x02, 0x04, 0x12, 0x34, 0xAB, 0xCD})},
    };
    for (const auto& [built, expected] : cases)
        EXPECT_EQ(built, expected);
    // The largest frames fit the buffer.
    const std::array<std::uint16_t, 40> forty{};
    const Bytes largest = Request(false, 1, 0, 0, forty);
    EXPECT_EQ(std::pair(largest.size(), largest[6]), std::pair(std::size_t(89), std::uint8_t(80)));
    EXPECT_EQ((std::array{WriteRequestSize(false, 40), WriteRequestSize(true, 40),
                          ReadReplySize(true, 40), ReadReplySize(false, 40),
                          ReadReplySize(false, 1), ReadReplySize(true, 1)}),
              (std::array<std::size_t, 6>{89, 88, 88, 85, 7, 10}));
}

// Replies are checked in order, the CRC first. Plain read replies do not echo the address;
// plain write replies echo address and count (its high byte not examined); link write
// replies accept any non-zero count.
TEST(RegisterFrames, ReplyChecks) {
    const Bytes good = WithCrc({0x05, 0x03, 0x04, 0x00, 0x2A, 0xFF, 0xFE});
    const Bytes linkGood = WithCrc({0x02, 0xFF, 0x03, 0x01, 0x02, 0x02, 0x80, 0x01});
    using enum ReplyCheck;
    const struct {
        bool Write, Link;
        Bytes Reply;
        std::uint8_t Device;
        std::uint16_t Address;
        std::uint8_t Count;
        ReplyCheck Expected;
    } cases[] = {
        {false, false, good, 5, 0x0102, 2, Ok},
        {false, false, good, 5, 0xFFFF, 2, Ok},
        {false, false, Damaged(good), 5, 0x0102, 2, BadCrc},
        {false, false, Damaged(WithCrc({6, 3, 4, 0, 0, 0, 0})), 5, 0, 2, BadCrc},
        {false, false, Bytes(good.begin(), good.end() - 1), 5, 0, 2, BadCrc}, // too short
        {false, false, WithCrc({6, 3, 4, 0, 0, 0, 0}), 5, 0, 2, BadDevice},
        {false, false, WithCrc({5, 4, 4, 0, 0, 0, 0}), 5, 0, 2, BadFunction},
        {false, false, WithCrc({5, 3, 3, 0, 0, 0, 0}), 5, 0, 2, BadByteCount},
        {false, true, linkGood, 2, 0x0102, 1, Ok},
        {false, true, linkGood, 2, 0x0103, 1, BadAddress},
        {false, true, linkGood, 2, 0x0202, 1, BadAddress},
        {false, true, WithCrc({2, 0xFE, 3, 1, 2, 2, 0, 0}), 2, 0x0102, 1, BadPrefix},
        {false, true, WithCrc({2, 0xFF, 0x10, 1, 2, 2, 0, 0}), 2, 0x0102, 1, BadFunction},
        {false, true, WithCrc({2, 0xFF, 3, 1, 2, 4, 0, 0}), 2, 0x0102, 1, BadByteCount},
        {false, true, WithCrc({0xFF, 2, 3, 1, 2, 2, 0, 0}), 2, 0x0102, 1, BadDevice}, // an echo
        {true, false, WithCrc({0x01, 0x10, 0x00, 0x10, 0x00, 0x02}), 1, 0x10, 2, Ok},
        {true, false, WithCrc({0x01, 0x10, 0x00, 0x10, 0x7F, 0x02}), 1, 0x10, 2, Ok},
        {true, false, Damaged(WithCrc({0x01, 0x10, 0x00, 0x10, 0x00, 0x02})), 1, 0x10, 2, BadCrc},
        {true, false, WithCrc({0x01, 0x10, 0x00, 0x10, 0x00, 0x03}), 1, 0x10, 2, BadCount},
        {true, false, WithCrc({0x01, 0x10, 0x00, 0x11, 0x00, 0x02}), 1, 0x10, 2, BadAddress},
        {true, false, WithCrc({0x01, 0x90, 0x00, 0x10, 0x00, 0x02}), 1, 0x10, 2, BadFunction},
        {true, false, WithCrc({0x02, 0x10, 0x00, 0x10, 0x00, 0x02}), 1, 0x10, 2, BadDevice},
        {true, false, WithCrc({200, 0x10, 0xC3, 0x50, 0x00, 0x02}), 200, 50000, 2, Ok},
        {true, true, WithCrc({0x04, 0xFF, 0x10, 0x00, 0x20, 0x02}), 4, 0x20, 2, Ok},
        {true, true, WithCrc({0x04, 0xFF, 0x10, 0x00, 0x20, 0x07}), 4, 0x20, 2, Ok},
        {true, true, WithCrc({0x04, 0xFF, 0x10, 0x00, 0x20, 0x00}), 4, 0x20, 2, BadCount},
        {true, true, WithCrc({0x04, 0xFF, 0x10, 0x00, 0x21, 0x02}), 4, 0x20, 2, BadAddress},
        {true, true, WithCrc({0x04, 0x10, 0xFF, 0x00, 0x20, 0x02}), 4, 0x20, 2, BadPrefix},
        {true, true, WithCrc({0x04, 0xFF, 0x03, 0x00, 0x20, 0x02}), 4, 0x20, 2, BadFunction},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Reply));
        const auto check = c.Write ? CheckWriteReply : CheckReadReply;
        EXPECT_EQ(check(c.Link, c.Reply, c.Device, c.Address, c.Count), c.Expected);
    }
    std::array<std::uint16_t, 2> values{};
    ExtractRegisters(false, good, values);
    EXPECT_EQ(values, (std::array<std::uint16_t, 2>{42, 0xFFFE}));
    ExtractRegisters(true, linkGood, std::span(values).first(1));
    EXPECT_EQ(values[0], 0x8001);
}
