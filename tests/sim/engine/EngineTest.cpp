#include "SimTestSupport.h"

using namespace kelm::sim;
using namespace kelm::sim::test;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::unique_ptr<Engine> StdEngine() {
    return MakeEngine(Kind(SimKind::Std));
}

} // namespace

TEST(SimEngine, AnswersReadAndWriteAtItsAddressOnly) {
    auto engine = StdEngine();
    EXPECT_EQ(ReadOne(*engine, 1, 12, 0), 100); // configured default
    EXPECT_TRUE(WriteVia(*engine, 1, 12, {321}, 1));
    EXPECT_EQ(ReadOne(*engine, 1, 12, 2), 321);
    EXPECT_TRUE(Exchange(*engine, EncodeReadRequest(FrameVariant::Plain, 2, 12, 1), 3).empty());
    // Broadcast writes are not acted on and not answered.
    EXPECT_TRUE(Exchange(*engine, EncodeWriteRequest(FrameVariant::Plain, 0, 12, {5}), 4).empty());
    EXPECT_EQ(ReadOne(*engine, 1, 12, 5), 321);
}

TEST(SimEngine, UnknownRegistersReadZeroAndKeepWrites) {
    auto engine = StdEngine();
    const auto block = ReadVia(*engine, 1, 40000, 40, 0);
    ASSERT_TRUE(block);
    EXPECT_EQ(*block, std::vector<std::uint16_t>(40, 0));
    EXPECT_TRUE(WriteVia(*engine, 1, 40010, {7, 8}, 1));
    EXPECT_EQ(ReadVia(*engine, 1, 40009, 4, 2), (std::vector<std::uint16_t>{0, 7, 8, 0}));
}

TEST(SimEngine, FindsFramesInTheByteStream) {
    auto engine = StdEngine();
    const Bytes one = EncodeReadRequest(FrameVariant::Plain, 1, 12, 1);
    // Split over two feeds.
    EXPECT_TRUE(engine->Feed(one.data(), 3, 0).empty());
    EXPECT_EQ(engine->Feed(one.data() + 3, one.size() - 3, 5).size(), 1U);
    // Two requests in one feed, noise in front.
    Bytes two{0x00, 0x37};
    two.insert(two.end(), one.begin(), one.end());
    two.insert(two.end(), one.begin(), one.end());
    EXPECT_EQ(engine->Feed(two.data(), two.size(), 10).size(), 2U);
    // A pause longer than the frame gap drops the partial frame; the next frame is fine.
    EXPECT_TRUE(engine->Feed(one.data(), 4, 100).empty());
    EXPECT_TRUE(engine->Feed(one.data() + 4, 4, 100 + Engine::FrameGapMs + 1).empty());
    EXPECT_EQ(engine->Feed(one.data(), one.size(), 300).size(), 1U);
}

TEST(SimEngine, PlainExceptionsAreFiveBytesAndLinkFramesAreIgnored) {
    auto engine = StdEngine();
    Bytes zeroCount{1, 0x03, 0, 0, 0, 0};
    AppendCrc(zeroCount);
    const Bytes reply = Exchange(*engine, zeroCount, 0);
    ASSERT_EQ(reply.size(), 5U);
    EXPECT_EQ(reply[1], 0x83);
    EXPECT_EQ(reply[2], ExceptionIllegalValue);

    auto link = MakeEngine(Kind(SimKind::Link));
    Bytes linkZero{0xFF, 10, 0x03, 0, 0, 0};
    AppendCrc(linkZero);
    EXPECT_TRUE(Exchange(*link, linkZero, 0).empty());
}

TEST(SimEngineFaults, SilentDeviceNeitherAnswersNorActs) {
    auto engine = StdEngine();
    engine->FindDevice(1)->SetSilent(true);
    EXPECT_FALSE(WriteVia(*engine, 1, 12, {5}, 0));
    engine->FindDevice(1)->SetSilent(false);
    EXPECT_EQ(ReadOne(*engine, 1, 12, 1), 100);
}

TEST(SimEngineFaults, EveryKthReplyIsDroppedButTheRequestActs) {
    auto engine = StdEngine();
    engine->LineFaults().dropEvery = 3;
    EXPECT_TRUE(WriteVia(*engine, 1, 12, {1}, 0));
    EXPECT_TRUE(WriteVia(*engine, 1, 12, {2}, 1));
    EXPECT_FALSE(WriteVia(*engine, 1, 12, {3}, 2)); // third reply lost
    engine->LineFaults().dropEvery = 0;
    EXPECT_EQ(ReadOne(*engine, 1, 12, 3), 3);
}

TEST(SimEngineFaults, CorruptedRepliesHaveTheAdvertisedDefect) {
    auto engine = StdEngine();
    const Bytes request = EncodeReadRequest(FrameVariant::Plain, 1, 12, 2);
    const Bytes clean = Exchange(*engine, request, 0);
    ASSERT_EQ(clean.size(), 9U);

    engine->LineFaults().badCrc = true;
    Bytes reply = Exchange(*engine, request, 1);
    EXPECT_EQ(reply.size(), clean.size());
    EXPECT_FALSE(CrcMatches(reply.data(), reply.size()));
    engine->LineFaults().badCrc = false;

    engine->LineFaults().wrongAddress = true;
    reply = Exchange(*engine, request, 2);
    EXPECT_EQ(reply[0], 2);
    EXPECT_TRUE(CrcMatches(reply.data(), reply.size()));
    engine->LineFaults().wrongAddress = false;

    engine->LineFaults().wrongCount = true;
    reply = Exchange(*engine, request, 3);
    EXPECT_EQ(reply.size(), clean.size());
    EXPECT_EQ(reply[2], 6); // 2n + 2
    EXPECT_TRUE(CrcMatches(reply.data(), reply.size()));
    reply = Exchange(*engine, EncodeWriteRequest(FrameVariant::Plain, 1, 12, {4}), 4);
    EXPECT_EQ(reply[5], 2);
    EXPECT_TRUE(CrcMatches(reply.data(), reply.size()));
    engine->LineFaults().wrongCount = false;

    engine->LineFaults().truncate = true;
    reply = Exchange(*engine, request, 5);
    EXPECT_EQ(reply.size(), clean.size() - 1);
    engine->LineFaults().truncate = false;

    engine->LineFaults().trailing = true;
    reply = Exchange(*engine, request, 6);
    ASSERT_EQ(reply.size(), clean.size() + 2);
    EXPECT_TRUE(CrcMatches(reply.data(), clean.size()));
    engine->LineFaults().trailing = false;

    engine->LineFaults().wrongFunction = true;
    reply = Exchange(*engine, request, 7);
    EXPECT_EQ(reply[1], 4);
    EXPECT_TRUE(CrcMatches(reply.data(), reply.size()));
    engine->LineFaults().wrongFunction = false;

    // A forced exception answers before the drive acts on the write.
    engine->LineFaults().exceptionCode = 4;
    reply = Exchange(*engine, EncodeWriteRequest(FrameVariant::Plain, 1, 12, {9}), 8);
    ASSERT_EQ(reply.size(), 5U);
    EXPECT_EQ(reply, Bytes({1, 0x90, 4, reply[3], reply[4]}));
    EXPECT_NE(engine->FindDevice(1)->Registers().Get(12), 9);
    engine->LineFaults().exceptionCode = 0;

    engine->LineFaults().delayMs = 250;
    const auto replies = engine->Feed(request.data(), request.size(), 9);
    ASSERT_EQ(replies.size(), 1U);
    EXPECT_EQ(replies[0].delayMs, 250U);
}

TEST(SimEngineFaults, LinkRepliesGetWrongCountsAMasterRefuses) {
    auto engine = MakeEngine(Kind(SimKind::Link));
    engine->LineFaults().wrongCount = true;
    Bytes reply = Exchange(*engine, EncodeReadRequest(FrameVariant::Link, 10, 78, 3), 0);
    ASSERT_EQ(reply.size(), 3U * 2 + 8);
    EXPECT_EQ(reply[5], 8);
    reply = Exchange(*engine, EncodeWriteRequest(FrameVariant::Link, 10, 7, {3}), 1);
    ASSERT_EQ(reply.size(), 8U);
    EXPECT_EQ(reply[5], 0); // any non-zero count would be accepted
    EXPECT_TRUE(CrcMatches(reply.data(), reply.size()));
}
