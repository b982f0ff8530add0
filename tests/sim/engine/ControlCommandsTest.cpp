#include "SimTestSupport.h"

#include "sim/engine/ControlCommands.h"
#include "sim/engine/behaviours/CommandHandshake.h"
#include "sim/engine/behaviours/LiveStatus.h"

using namespace kelm::sim;
using namespace kelm::sim::test;

namespace {

ControlResult Command(Engine& engine, const char* line) {
    return ApplyControlCommand(engine, QString::fromLatin1(line), 0);
}

} // namespace

TEST(SimControl, DeviceCommands) {
    auto engine = MakeEngine(Kind(SimKind::Link));
    EXPECT_TRUE(Command(*engine, "set 11 0x10 -2").ok);
    EXPECT_EQ(engine->FindDevice(11)->Registers().Get(16), 0xFFFE);
    EXPECT_TRUE(Command(*engine, "silent 12 on").ok);
    EXPECT_TRUE(engine->FindDevice(12)->Silent());
    EXPECT_FALSE(engine->FindDevice(11)->Silent());
    EXPECT_TRUE(Command(*engine, "alarm 11 0x10002").ok);
    EXPECT_EQ(engine->FindDevice(11)->Registers().Get(116), 2);
    EXPECT_EQ(engine->FindDevice(11)->Registers().Get(120), 1);
    EXPECT_TRUE(Command(*engine, "cmddelay * 500").ok);
    EXPECT_EQ(engine->FindDevice(10)->Find<CommandHandshake>()->ClearDelay(), 500U);
    EXPECT_EQ(engine->FindDevice(13)->Find<CommandHandshake>()->ClearDelay(), 500U);
    EXPECT_TRUE(Command(*engine, "cmdfault 10 on").ok);
    EXPECT_TRUE(engine->FindDevice(10)->Find<CommandHandshake>()->StatusFault());
    EXPECT_TRUE(Command(*engine, "live 11 off").ok);
    EXPECT_TRUE(engine->FindDevice(11)->Find<LiveStatus>()->Frozen());
    EXPECT_TRUE(Command(*engine, "live 11 on").ok);
    EXPECT_FALSE(engine->FindDevice(11)->Find<LiveStatus>()->Frozen());
    // Two more writes are carried out; then the unit is silent.
    EXPECT_TRUE(Command(*engine, "silentafter 13 2").ok);
    EXPECT_TRUE(WriteVia(*engine, 13, 3000, {1}, 0));
    EXPECT_TRUE(WriteVia(*engine, 13, 3001, {2}, 0));
    EXPECT_FALSE(WriteVia(*engine, 13, 3002, {3}, 0));
    EXPECT_EQ(engine->FindDevice(13)->Registers().Get(3002), 0);
}

TEST(SimControl, LineFaultCommands) {
    auto engine = MakeEngine(Kind(SimKind::Std));
    const Faults& faults = engine->LineFaults();
    EXPECT_TRUE(Command(*engine, "drop 4").ok);
    EXPECT_EQ(faults.dropEvery, 4U);
    EXPECT_TRUE(Command(*engine, "delay 120").ok);
    EXPECT_EQ(faults.delayMs, 120U);
    EXPECT_TRUE(Command(*engine, "badcrc on").ok);
    EXPECT_TRUE(Command(*engine, "wrongaddr on").ok);
    EXPECT_TRUE(Command(*engine, "wrongcount on").ok);
    EXPECT_TRUE(Command(*engine, "truncate on").ok);
    EXPECT_TRUE(Command(*engine, "  trailing   on ").ok);
    EXPECT_TRUE(Command(*engine, "wrongfunc on").ok && Command(*engine, "exception 4").ok);
    EXPECT_TRUE(faults.wrongFunction && faults.exceptionCode == 4);
    EXPECT_TRUE(Command(*engine, "hangup").hangup);
    EXPECT_TRUE(faults.badCrc && faults.wrongAddress && faults.wrongCount && faults.truncate &&
                faults.trailing);
    EXPECT_TRUE(Command(*engine, "badcrc off").ok);
    EXPECT_FALSE(faults.badCrc);
    EXPECT_TRUE(Command(*engine, "silent 1 on").ok);
    EXPECT_TRUE(Command(*engine, "faults off").ok);
    EXPECT_EQ(faults.dropEvery, 0U);
    EXPECT_EQ(faults.delayMs, 0U);
    EXPECT_FALSE(faults.wrongAddress || faults.trailing || faults.wrongFunction);
    EXPECT_EQ(faults.exceptionCode, 0);
    EXPECT_FALSE(engine->FindDevice(1)->Silent());
}

TEST(SimControl, BadCommandsAreRefusedWithoutEffect) {
    auto engine = MakeEngine(Kind(SimKind::Std));
    for (const char* line : {"", "fly", "set 1 12", "set 2 12 5", "set 1 70000 5", "set 1 12 70000",
                             "silent 1 maybe", "drop -1", "drop x", "badcrc", "alarm 1 0x1FFFFFFFF",
                             "quit now", "set 0 12 1", "exception 256", "hangup now"}) {
        const ControlResult result = Command(*engine, line);
        EXPECT_FALSE(result.ok) << line;
        EXPECT_FALSE(result.quit) << line;
        EXPECT_FALSE(result.message.isEmpty()) << line;
    }
    EXPECT_EQ(engine->FindDevice(1)->Registers().Get(12), 100);
    EXPECT_EQ(engine->LineFaults().dropEvery, 0U);
    const ControlResult quit = Command(*engine, "quit");
    EXPECT_TRUE(quit.ok);
    EXPECT_TRUE(quit.quit);
}
