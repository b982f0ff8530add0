#include "FakeStatusLink.h"

#include "core/drive/status/StatusPoller.h"

#include <functional>
#include <gtest/gtest.h>

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

// The Std cycle's reads, in order.
QStringList StdReads() {
    return Reads({51, 52, 83, 84})
           << "R134x2" << Reads({55, 53, 58, 59, 60, 66, 67, 61, 62, 65, 72, 138, 139});
}

using Step = std::function<void(FakeStatusLink&, FakePollHost&)>;

// One poll: what the line saw (in order) and what the host was told.
struct PollCase {
    const char* Name;
    DeviceKind Kind;
    Step Arrange;
    QStringList Requests;
    QStringList Events;
    Step Check;
};

TEST_F(PollFixture, OnePollPerKindAndFailure) {
    const PollCase cases[] = {
        {"std reads every register and takes them",
         DeviceKind::Std,
         [](FakeStatusLink& l, FakePollHost&) {
             l.registers[59] = static_cast<std::uint16_t>(-5);
             l.registers[134] = 1;
             l.registers[135] = 2;
         },
         StdReads(),
         {"refresh"},
         [](FakeStatusLink& l, FakePollHost&) {
             EXPECT_EQ(l.table.FindByAddress(59)->DriveValue, -5);
             EXPECT_EQ(l.table.FindByAddress(59)->Value, -5);
             EXPECT_EQ(l.table.FindByAddress(134)->Value, 1);
             EXPECT_EQ(l.table.FindByAddress(135)->DriveValue, 2);
         }},
        {"a register missing from the table is still read",
         DeviceKind::Std,
         [](FakeStatusLink& l, FakePollHost&) {
             ParamEntry only;
             only.Address = 51;
             l.table = ParamTable();
             l.table.Add(only);
         },
         StdReads(),
         {"refresh"},
         {}},
        {"failed selector write keeps the mark and goes off line",
         DeviceKind::Std,
         [](FakeStatusLink& l, FakePollHost& h) {
             h.changed[0] = true;
             h.index[0] = 2;
             l.failAt = 66;
         },
         {"W66=2"},
         {},
         [](FakeStatusLink&, FakePollHost& h) { EXPECT_TRUE(h.changed[0]); }},
        {"failed enable write leaves the button down, tag cleared",
         DeviceKind::Std,
         [](FakeStatusLink& l, FakePollHost& h) {
             h.down[1] = true;
             l.failAt = 74;
         },
         {"W74=1"},
         {},
         [](FakeStatusLink&, FakePollHost& h) {
             EXPECT_TRUE(h.down[1]);
             EXPECT_FALSE(h.written[1]);
         }},
        {"failed position read shows zero and stops the cycle",
         DeviceKind::Std,
         [](FakeStatusLink& l, FakePollHost&) {
             l.table.FindByAddress(134)->DriveValue = 9;
             l.failAt = 134;
         },
         StdReads().mid(0, 5),
         {},
         [](FakeStatusLink& l, FakePollHost&) {
             EXPECT_EQ(l.table.FindByAddress(134)->DriveValue, 0);
             EXPECT_EQ(l.table.FindByAddress(135)->Value, 0);
         }},
        {"scope step, then the pages in order",
         DeviceKind::Std,
         [](FakeStatusLink&, FakePollHost& h) {
             h.scopeOpen = h.analogOpen = h.digitalOpen = true;
         },
         StdReads(),
         {"scope step", "refresh", "digital", "analog"},
         {}},
        {"orca reads blocks and takes only named registers",
         DeviceKind::Orca230,
         [](FakeStatusLink& l, FakePollHost&) {
             for (int a = 51; a <= 190; ++a)
                 l.registers[static_cast<std::uint16_t>(a)] = static_cast<std::uint16_t>(a + 1000);
             l.table.FindByAddress(54)->DriveValue = -1;
         },
         {"R51x9", "R60x8", "R72x13", "R134x12", "R180x8"},
         {"refresh"},
         [](FakeStatusLink& l, FakePollHost&) {
             EXPECT_EQ(l.table.FindByAddress(55)->DriveValue, 1055);
             EXPECT_EQ(l.table.FindByAddress(55)->Value, 1055);
             EXPECT_EQ(l.table.FindByAddress(54)->DriveValue, -1); // in the block, not taken
             EXPECT_EQ(l.table.FindByAddress(145)->DriveValue, 1145);
             EXPECT_EQ(l.table.FindByAddress(187)->DriveValue, 1187);
         }},
        // The failed block takes the link off line; the link itself refuses the later ones.
        {"orca tries every block after a failure",
         DeviceKind::Orca230,
         [](FakeStatusLink& l, FakePollHost&) { l.failAt = 60; },
         {"R51x9", "R60x8"},
         {},
         {}},
        {"orca capture complete runs the handler",
         DeviceKind::Orca230,
         [](FakeStatusLink& l, FakePollHost& h) {
             h.scopeOpen = true;
             l.scope.FindByAddress(50000)->Value = 1;
             l.scope.FindByAddress(50000)->DriveValue = 2;
         },
         {},
         {"scope step", "capture complete"},
         {}},
        {"drive uses its own registers",
         DeviceKind::Drive,
         [](FakeStatusLink& l, FakePollHost& h) {
             h.changed[1] = true;
             h.index[1] = 200;
             h.down[0] = true;
             l.registers[185] = 77;
         },
         {"W210=200", "W200=1", "R116x5", "R184x4", "R193x5", "R207x6", "R198x2", "R28x1", "R34x1"},
         {"refresh"},
         [](FakeStatusLink& l, FakePollHost&) {
             EXPECT_EQ(l.table.FindByAddress(185)->DriveValue, 0); // not taken
         }},
        {"power reads a block into DriveValue only, never writes requests",
         DeviceKind::Power,
         [](FakeStatusLink& l, FakePollHost& h) {
             l.registers[79] = 245;
             l.table.FindByAddress(79)->Value = 3;
             h.down[0] = true;
         },
         {"R78x10", "R98x1"},
         {"refresh"},
         [](FakeStatusLink& l, FakePollHost&) {
             EXPECT_EQ(l.table.FindByAddress(79)->DriveValue, 245);
             EXPECT_EQ(l.table.FindByAddress(79)->Value, 3);
         }},
        {"power refreshes when the temperature read fails",
         DeviceKind::Power,
         [](FakeStatusLink& l, FakePollHost&) { l.failAt = 98; },
         {"R78x10", "R98x1"},
         {"refresh"},
         {}},
        {"power refreshes nothing when the block fails",
         DeviceKind::Power,
         [](FakeStatusLink& l, FakePollHost&) { l.failAt = 80; },
         {"R78x10"},
         {},
         {}},
    };
    for (const PollCase& c : cases) {
        SCOPED_TRACE(c.Name);
        FakeStatusLink link;
        FakePollHost host;
        link.kind = c.Kind;
        c.Arrange(link, host);
        StatusPoller(link, host).Poll();
        EXPECT_EQ(link.requests, c.Requests);
        EXPECT_EQ(host.events, c.Events);
        if (c.Check)
            c.Check(link, host);
    }
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

TEST_F(PollFixture, TickMarkNeverWrapsToZero) {
    link.kind = DeviceKind::Orca230;
    link.scope.FindByAddress(50000)->Value = 1;
    link.tick = 300;
    poller.Poll();
    EXPECT_NE(link.tick, 0u);
    EXPECT_LT(link.tick, 300u);
}

TEST_F(PollFixture, DriveDigitalPageUsesRequestRegisters200And201) {
    link.kind = DeviceKind::Drive;
    host.digitalOpen = true;
    link.registers[201] = 2;
    link.table.FindByAddress(201)->Value = 2;
    poller.Poll();
    EXPECT_EQ(link.requests.mid(link.requests.size() - 2), (QStringList{"W201=2", "R201x1"}));
}

TEST_F(PollFixture, OffLineSendsNothing) {
    link.online = false;
    host.changed[0] = true;
    for (DeviceKind kind :
         {DeviceKind::Std, DeviceKind::Orca230, DeviceKind::Drive, DeviceKind::Power}) {
        link.kind = kind;
        poller.Poll();
    }
    EXPECT_TRUE(link.requests.isEmpty());
    EXPECT_TRUE(host.events.isEmpty());
}

} // namespace
} // namespace kelm::test
