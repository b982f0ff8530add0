#include "SimTestSupport.h"

#include "core/common/Ticks.h"
#include "core/link/ModbusMaster.h"
#include "sim/channel/SimChannel.h"
#include "sim/engine/behaviours/CommandHandshake.h"

#include <memory>

using namespace kelm;
using namespace kelm::sim;
using namespace kelm::sim::test;

namespace {

// The program's master on an in-memory channel to the simulator.
struct MasterOnSim {
    explicit MasterOnSim(SimKind kind) {
        engine = std::shared_ptr<Engine>(MakeEngine(Kind(kind), TickCount()));
        auto owned = std::make_unique<SimChannel>(engine);
        channel = owned.get();
        master = std::make_unique<ModbusMaster>(
            std::move(owned), [](std::uint8_t) { return QStringLiteral("/sim/port"); });
    }
    std::shared_ptr<Engine> engine;
    SimChannel* channel = nullptr;
    std::unique_ptr<ModbusMaster> master;
};

} // namespace

TEST(SimChannel, ClosedChannelRefusesEverything) {
    auto engine = std::shared_ptr<Engine>(MakeEngine(Kind(SimKind::Std)));
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
}

TEST(SimChannel, RepliesAreReadableAtOnceAndPurgeDropsThem) {
    auto engine = std::shared_ptr<Engine>(MakeEngine(Kind(SimKind::Std), TickCount()));
    SimChannel channel(engine);
    ASSERT_TRUE(channel.Open(QStringLiteral("x")));
    const auto request = EncodeReadRequest(FrameVariant::Plain, 1, 12, 1);
    EXPECT_EQ(channel.Write(request.data(), request.size()), 8);
    std::vector<std::uint8_t> reply;
    std::uint8_t byte = 0;
    while (channel.ReadByte(byte, 20) == 1) {
        reply.push_back(byte);
    }
    EXPECT_EQ(reply, EncodeReadReply(FrameVariant::Plain, 1, 12, {100}));
    channel.Write(request.data(), request.size());
    channel.Purge();
    EXPECT_EQ(channel.ReadByte(byte, 20), 0);
}

TEST(SimChannel, DelayedRepliesArriveLateAndSurviveAPurge) {
    auto engine = std::shared_ptr<Engine>(MakeEngine(Kind(SimKind::Std), TickCount()));
    engine->LineFaults().delayMs = 80;
    SimChannel channel(engine);
    ASSERT_TRUE(channel.Open(QStringLiteral("x")));
    const auto request = EncodeReadRequest(FrameVariant::Plain, 1, 12, 1);
    const std::uint32_t sent = TickCount();
    channel.Write(request.data(), request.size());
    channel.Purge();
    std::uint8_t byte = 0;
    EXPECT_EQ(channel.ReadByte(byte, 10), 0);
    ASSERT_EQ(channel.ReadByte(byte, 1000), 1);
    EXPECT_GE(TickCount() - sent, 80U);
    EXPECT_EQ(byte, 1);
}

TEST(SimChannel, ProgramMasterReadsAndWritesAPlainDrive) {
    MasterOnSim sim(SimKind::Std);
    ASSERT_TRUE(sim.master->OpenPort(3, 19200, false, 2));
    EXPECT_EQ(sim.channel->OpenedPath(), QStringLiteral("/sim/port"));
    EXPECT_EQ(sim.channel->AppliedSettings().BaudRate, 19200U);
    sim.master->DeviceAddress = 1;
    std::uint16_t values[2] = {};
    ASSERT_TRUE(sim.master->ReadRegisters(12, values, 2, 100, false));
    EXPECT_EQ(values[0], 100);
    EXPECT_EQ(values[1], 50);
    const std::uint16_t written[] = {4321};
    ASSERT_TRUE(sim.master->WriteRegisters(12, written, 1, 100, false));
    ASSERT_TRUE(sim.master->ReadRegisters(12, values, 1, 100, false));
    EXPECT_EQ(values[0], 4321);
    EXPECT_EQ(sim.master->ReplyCount, 3U);
}

TEST(SimChannel, ProgramMasterTalksToLinkUnits) {
    MasterOnSim sim(SimKind::Link);
    ASSERT_TRUE(sim.master->OpenPort(4, 115200, true, 0));
    sim.master->DeviceAddress = 12;
    std::uint16_t values[5] = {};
    ASSERT_TRUE(sim.master->ReadRegisters(116, values, 5, 100, false));
    sim.master->DeviceAddress = 10;
    ASSERT_TRUE(sim.master->ReadRegisters(6, values, 1, 100, false));
    EXPECT_EQ(values[0], 3);
}

TEST(SimChannel, ProgramMasterRetriesPastFaults) {
    MasterOnSim sim(SimKind::Std);
    ASSERT_TRUE(sim.master->OpenPort(3, 19200, false, 0));
    sim.master->DeviceAddress = 1;
    std::uint16_t value = 0;
    // Every second reply lost: the retry gets through.
    sim.engine->LineFaults().dropEvery = 2;
    ASSERT_TRUE(sim.master->ReadRegisters(12, &value, 1, 100, false)); // reply 1
    ASSERT_TRUE(sim.master->ReadRegisters(12, &value, 1, 100, false)); // 2 lost, 3 taken
    EXPECT_EQ(sim.master->RequestCount, 3U);
    sim.engine->LineFaults().dropEvery = 0;
    // Replies later than all three tries together: every try fails. (With a shorter delay
    // the first reply would land inside a later try and be taken, as on a real line.)
    sim.engine->LineFaults().delayMs = 2000;
    EXPECT_FALSE(sim.master->ReadRegisters(12, &value, 1, 100, false));
    EXPECT_TRUE(sim.master->IsPortOpen());
}

TEST(SimChannel, CommandHandshakeThroughTheMaster) {
    MasterOnSim sim(SimKind::Std);
    ASSERT_TRUE(sim.master->OpenPort(3, 19200, false, 0));
    sim.master->DeviceAddress = 1;
    sim.engine->FindDevice(1)->Find<CommandHandshake>()->SetClearDelay(150);
    const std::uint16_t save = CommandSaveEeprom;
    const std::uint32_t start = TickCount();
    ASSERT_TRUE(sim.master->WriteRegisters(69, &save, 1, 200, false));
    std::uint16_t word = save;
    while ((word & save) && TickCount() - start < 3000) {
        ASSERT_TRUE(sim.master->ReadRegisters(69, &word, 1, 100, false));
    }
    EXPECT_EQ(word, 0);
    EXPECT_GE(TickCount() - start, 150U);
}
