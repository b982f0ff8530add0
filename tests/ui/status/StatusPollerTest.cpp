#include "FakeStatusLink.h"

#include "core/drive/status/StatusPoller.h"

#include <gtest/gtest.h>
#include <optional>

namespace kelm::test {
namespace {

QStringList Reads(std::initializer_list<int> addresses) {
    QStringList list;
    for (int a : addresses)
        list << QStringLiteral("R%1x1").arg(a);
    return list;
}

struct PollFixture : ::testing::Test {
    FakeStatusLink link;
    FakePollHost host;
    StatusPoller poller{link, host};
};

TEST_F(PollFixture, StdReadsEveryRegisterInOrderAndRefreshes) {
    link.registers[59] = static_cast<std::uint16_t>(-5);
    link.registers[134] = 1;
    link.registers[135] = 2;
    poller.Poll();
    QStringList expected = Reads({51, 52, 83, 84});
    expected << "R134x2";
    expected << Reads({55, 53, 58, 59, 60, 66, 67, 61, 62, 65, 72, 138, 139});
    EXPECT_EQ(link.requests, expected);
    EXPECT_EQ(host.events, QStringList{"refresh"});
    EXPECT_EQ(link.table.FindByAddress(59)->DriveValue, -5);
    EXPECT_EQ(link.table.FindByAddress(59)->Value, -5);
    EXPECT_EQ(link.table.FindByAddress(134)->Value, 1);
    EXPECT_EQ(link.table.FindByAddress(135)->DriveValue, 2);
}

TEST_F(PollFixture, StdWritesChangedSelectorsAndRequestsFirst) {
    host.changed[0] = true;
    host.index[0] = 7; // "V_bus"
    host.changed[1] = true;
    host.index[1] = 3;
    host.down[0] = true;
    poller.Poll();
    ASSERT_GE(link.requests.size(), 4);
    EXPECT_EQ(link.requests.mid(0, 4), (QStringList{"W66=7", "W67=3", "W73=1", "R51x1"}));
    EXPECT_FALSE(host.changed[0]);
    EXPECT_FALSE(host.changed[1]);
    EXPECT_FALSE(host.down[0]);
    EXPECT_TRUE(host.written[0]);
    // The next poll writes nothing: the selectors follow the drive again.
    link.requests.clear();
    poller.Poll();
    EXPECT_EQ(link.requests.first(), "R51x1");
}

TEST_F(PollFixture, FailedSelectorWriteKeepsMarkAndGoesOffLine) {
    host.changed[0] = true;
    host.index[0] = 2;
    link.failAt = 66;
    poller.Poll();
    EXPECT_TRUE(host.changed[0]);
    EXPECT_EQ(link.requests, QStringList{"W66=2"});
    EXPECT_TRUE(host.events.isEmpty()); // no refresh off line
}

TEST_F(PollFixture, FailedEnableWriteLeavesButtonDownWithTagCleared) {
    host.down[1] = true;
    link.failAt = 74;
    poller.Poll();
    EXPECT_TRUE(host.down[1]);
    EXPECT_FALSE(host.written[1]);
    EXPECT_EQ(link.requests, QStringList{"W74=1"});
}

TEST_F(PollFixture, RequestsGoToDigitalPageSwitchWhenItIsOpen) {
    host.digitalOpen = true;
    host.down[0] = true;
    host.down[1] = true;
    link.registers[73] = 4;
    link.table.FindByAddress(73)->Value = 4;
    poller.Poll();
    EXPECT_FALSE(link.requests.contains("W73=1"));
    EXPECT_FALSE(host.down[0]);
    EXPECT_FALSE(host.down[1]);
    EXPECT_EQ(host.events.mid(0, 2), (QStringList{"switch on", "switch off"}));
    EXPECT_EQ(host.events.mid(2), (QStringList{"refresh", "digital"}));
    // A non-zero force request in 73 is written and read back after the digital refresh.
    EXPECT_EQ(link.requests.mid(link.requests.size() - 2), (QStringList{"W73=4", "R73x1"}));
}

TEST_F(PollFixture, FailedPositionReadShowsZeroAndStopsTheCycle) {
    link.table.FindByAddress(134)->DriveValue = 9;
    link.failAt = 134;
    poller.Poll();
    EXPECT_EQ(link.table.FindByAddress(134)->DriveValue, 0);
    EXPECT_EQ(link.table.FindByAddress(135)->Value, 0);
    EXPECT_EQ(link.requests.last(), "R134x2");
    EXPECT_TRUE(host.events.isEmpty());
}

TEST_F(PollFixture, OrcaReadsBlocksAndTakesOnlyNamedRegisters) {
    link.kind = DeviceKind::Orca230;
    for (int a = 51; a <= 190; ++a)
        link.registers[static_cast<std::uint16_t>(a)] = static_cast<std::uint16_t>(a + 1000);
    link.table.FindByAddress(54)->DriveValue = -1;
    poller.Poll();
    EXPECT_EQ(link.requests, (QStringList{"R51x9", "R60x8", "R72x13", "R134x12", "R180x8"}));
    EXPECT_EQ(link.table.FindByAddress(55)->DriveValue, 1055);
    EXPECT_EQ(link.table.FindByAddress(55)->Value, 1055);
    EXPECT_EQ(link.table.FindByAddress(54)->DriveValue, -1); // in the block, not taken
    EXPECT_EQ(link.table.FindByAddress(145)->DriveValue, 1145);
    EXPECT_EQ(link.table.FindByAddress(187)->DriveValue, 1187);
    EXPECT_EQ(host.events, QStringList{"refresh"});
}

TEST_F(PollFixture, OrcaHoldsWhileCaptureArmedForAtMostFortyCycles) {
    link.kind = DeviceKind::Orca230;
    host.scopeOpen = true;
    link.scope.FindByAddress(50000)->Value = 1;
    link.scope.FindByAddress(50000)->DriveValue = 1;
    for (int i = 1; i < StatusPoller::MaxSkippedCycles; ++i) {
        link.tick = 10000;
        poller.Poll();
        EXPECT_EQ(link.tick, 9500u); // next cycle after the short pause
        EXPECT_EQ(poller.SkipCount(), i);
    }
    EXPECT_TRUE(link.requests.isEmpty());
    poller.Poll(); // the 40th skip lets the status part run once
    EXPECT_EQ(poller.SkipCount(), 0);
    EXPECT_EQ(link.requests.first(), "R51x9");
}

TEST_F(PollFixture, OrcaCaptureCompleteRunsHandler) {
    link.kind = DeviceKind::Orca230;
    host.scopeOpen = true;
    link.scope.FindByAddress(50000)->Value = 1;
    link.scope.FindByAddress(50000)->DriveValue = 2;
    poller.Poll();
    EXPECT_EQ(host.events, (QStringList{"scope step", "capture complete"}));
    EXPECT_TRUE(link.requests.isEmpty());
}

TEST_F(PollFixture, TickMarkNeverWrapsToZero) {
    link.kind = DeviceKind::Orca230;
    link.scope.FindByAddress(50000)->Value = 1;
    link.tick = 300;
    poller.Poll();
    EXPECT_NE(link.tick, 0u);
    EXPECT_LT(link.tick, 300u);
}

TEST_F(PollFixture, DriveUsesItsOwnRegisters) {
    link.kind = DeviceKind::Drive;
    host.changed[1] = true;
    host.index[1] = 200;
    host.down[0] = true;
    link.registers[185] = 77;
    poller.Poll();
    EXPECT_EQ(link.requests, (QStringList{"W210=200", "W200=1", "R116x5", "R184x4", "R193x5",
                                          "R207x6", "R198x2", "R28x1", "R34x1"}));
    EXPECT_EQ(link.table.FindByAddress(185)->DriveValue, 0); // not taken
}

TEST_F(PollFixture, DriveDigitalPageUsesRequestRegisters200And201) {
    link.kind = DeviceKind::Drive;
    host.digitalOpen = true;
    link.registers[201] = 2;
    link.table.FindByAddress(201)->Value = 2;
    poller.Poll();
    EXPECT_EQ(link.requests.mid(link.requests.size() - 2), (QStringList{"W201=2", "R201x1"}));
}

TEST_F(PollFixture, PowerReadsBlockIntoDriveValueOnly) {
    link.kind = DeviceKind::Power;
    link.registers[79] = 245;
    link.table.FindByAddress(79)->Value = 3;
    host.down[0] = true; // Power never writes requests
    poller.Poll();
    EXPECT_EQ(link.requests, (QStringList{"R78x10", "R98x1"}));
    EXPECT_EQ(link.table.FindByAddress(79)->DriveValue, 245);
    EXPECT_EQ(link.table.FindByAddress(79)->Value, 3);
    EXPECT_EQ(host.events, QStringList{"refresh"});
}

TEST_F(PollFixture, RegisterMissingFromTableIsStillReadInOrder) {
    ParamTable small;
    ParamEntry e;
    e.Address = 51;
    small.Add(e);
    link.table = small;
    poller.Poll();
    EXPECT_EQ(link.requests.size(), 18);
    EXPECT_EQ(host.events, QStringList{"refresh"});
}

// One poll per row on a fresh link: the requests on the line (unchecked when null) and the
// host's events.
TEST(StatusPoller, RequestsAndEventsPerKindAndFailure) {
    struct Row {
        const char* name;
        DeviceKind kind;
        bool online;
        std::uint16_t failAt;
        bool pagesOpen; // scope, analog and digital pages
        std::optional<QStringList> requests;
        QStringList events;
    };
    const QStringList none;
    const Row rows[] = {
        {"std pages in order",
         DeviceKind::Std,
         true,
         0xFFFF,
         true,
         std::nullopt,
         {"scope step", "refresh", "digital", "analog"}},
        // The failed block takes the link off line; the later blocks are refused by the link
        // itself, so only the attempt up to the failure reaches the line.
        {"orca tries every block", DeviceKind::Orca230, true, 60, false,
         QStringList{"R51x9", "R60x8"}, none},
        {"power temperature fails", DeviceKind::Power, true, 98, false, std::nullopt, {"refresh"}},
        {"power block fails", DeviceKind::Power, true, 80, false, std::nullopt, none},
        {"std off line", DeviceKind::Std, false, 0xFFFF, false, none, none},
        {"orca off line", DeviceKind::Orca230, false, 0xFFFF, false, none, none},
        {"drive off line", DeviceKind::Drive, false, 0xFFFF, false, none, none},
        {"power off line", DeviceKind::Power, false, 0xFFFF, false, none, none},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        FakeStatusLink link;
        FakePollHost host;
        StatusPoller poller{link, host};
        link.kind = r.kind;
        link.online = r.online;
        link.failAt = r.failAt;
        host.changed[0] = !r.online; // off line not even a changed selector is written
        host.scopeOpen = host.analogOpen = host.digitalOpen = r.pagesOpen;
        poller.Poll();
        if (r.requests) {
            EXPECT_EQ(link.requests, *r.requests);
        }
        EXPECT_EQ(host.events, r.events);
    }
}

} // namespace
} // namespace kelm::test
