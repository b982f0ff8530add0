#include "SimTestSupport.h"

#include "core/common/Ticks.h"
#include "sim/channel/SimChannel.h"

using namespace kelm;
using namespace kelm::sim;
using namespace kelm::sim::test;

// A closed channel refuses everything. A reply is readable at once and a purge drops it; a
// delayed one arrives late, after a purge.
TEST(SimChannel, RefusesWhenClosedRepliesAtOnceOrLateAndPurges) {
    auto engine = std::shared_ptr<Engine>(MakeEngine(Kind(SimKind::Std), TickCount()));
    SimChannel channel(engine);
    std::uint8_t byte = 0;
    const std::uint8_t data[] = {1, 2};
    EXPECT_FALSE(channel.IsOpen());
    EXPECT_EQ(channel.Write(data, 2), -1);
    EXPECT_EQ(channel.ReadByte(byte, 5), -1);
    EXPECT_FALSE(channel.ApplyLineSettings({}));
    channel.SetOpenFails(true);
    EXPECT_FALSE(channel.Open(QStringLiteral("x")));
    channel.SetOpenFails(false);
    EXPECT_TRUE(channel.Open(QStringLiteral("x")));
    EXPECT_FALSE(channel.Open(QStringLiteral("x"))); // already open
    const auto request = EncodeReadRequest(FrameVariant::Plain, 1, 12, 1);
    EXPECT_EQ(channel.Write(request.data(), request.size()), 8);
    std::vector<std::uint8_t> reply;
    while (channel.ReadByte(byte, 20) == 1) {
        reply.push_back(byte);
    }
    EXPECT_EQ(reply, EncodeReadReply(FrameVariant::Plain, 1, 12, {100}));
    channel.Write(request.data(), request.size());
    channel.Purge();
    EXPECT_EQ(channel.ReadByte(byte, 20), 0);

    engine->LineFaults().delayMs = 80;
    const std::uint32_t sent = TickCount();
    channel.Write(request.data(), request.size());
    channel.Purge();
    EXPECT_EQ(channel.ReadByte(byte, 10), 0);
    ASSERT_EQ(channel.ReadByte(byte, 1000), 1);
    EXPECT_GE(TickCount() - sent, 80U);
    EXPECT_EQ(byte, 1);
}
