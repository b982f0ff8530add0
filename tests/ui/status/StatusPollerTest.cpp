#include "FakeStatusLink.h"

#include "core/drive/status/StatusPoller.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace kelm::test {
namespace {

// The reads of one plain-drive status pass, in order.
QStringList StdReads() {
    QStringList list;
    for (int a : {51, 52, 83, 84, 134, 55, 53, 58, 59, 60, 66, 67, 61, 62, 65, 72, 138, 139})
        list << QStringLiteral("R%1x%2").arg(a).arg(a == 134 ? 2 : 1);
    return list;
}

struct PollFixture : ::testing::Test {
    // The host's selector marks, pending requests and written tags, selector/enable first.
    QString Marks() const {
        const auto bits = [](const bool(&b)[2]) {
            return QStringLiteral("%1").arg(b[0] * 10 + b[1], 2, 10, QLatin1Char('0'));
        };
        return bits(host.changed) + " " + bits(host.down) + " " + bits(host.written);
    }
    // A register's drive value and working value in the table.
    std::pair<int, int> Entry(int address) {
        const ParamEntry* e = link.table.FindByAddress(static_cast<std::uint16_t>(address));
        return {e->DriveValue, e->Value};
    }

    FakeStatusLink link;
    FakePollHost host;
    StatusPoller poller{link, host};
};
using Pair = std::pair<int, int>;

// A register the table lacks is still read, in order.
TEST_F(PollFixture, StdReadsEveryRegisterInOrderAndRefreshes) {
    link.registers[59] = static_cast<std::uint16_t>(-5);
    link.registers[134] = 1;
    link.registers[135] = 2;
    poller.Poll();
    EXPECT_EQ((std::vector{Entry(59), Entry(134), Entry(135)}),
              (std::vector<Pair>{{-5, -5}, {1, 1}, {2, 2}}));
    link.table = ParamTable::MakeSynthetic(QStringLiteral("R"), 51, 51);
    poller.Poll();
    EXPECT_EQ(std::tuple(link.requests, host.events),
              std::tuple(StdReads() + StdReads(), QStringList{"refresh", "refresh"}));
}

// The next poll writes nothing: the selectors follow the drive again. (After a failed write
// the link is off line, and going off line clears the panel's marks and buttons.)
TEST_F(PollFixture, StdWritesChangedSelectorsAndRequestsFirst) {
    host.changed[0] = host.changed[1] = host.down[0] = true;
    host.index[0] = 7; // "V_bus"
    host.index[1] = 3;
    poller.Poll();
    poller.Poll();
    EXPECT_EQ(link.requests, QStringList({"W66=7", "W67=3", "W73=1"}) + StdReads() + StdReads());
    EXPECT_EQ(Marks(), "00 00 10");
}

// A non-zero force request in 73 is written and read back after the digital refresh.
TEST_F(PollFixture, RequestsGoToDigitalPageSwitchWhenItIsOpen) {
    host.digitalOpen = host.down[0] = host.down[1] = true;
    link.table.FindByAddress(73)->Value = 4;
    poller.Poll();
    EXPECT_EQ(Marks(), "00 00 00");
    EXPECT_EQ(host.events, (QStringList{"switch on", "switch off", "refresh", "digital"}));
    EXPECT_EQ(link.requests, StdReads() + QStringList({"W73=4", "R73x1"}));
}

TEST_F(PollFixture, OrcaReadsBlocksAndTakesOnlyNamedRegisters) {
    link.kind = DeviceKind::Orca230;
    for (int a = 51; a <= 190; ++a)
        link.registers[static_cast<std::uint16_t>(a)] = static_cast<std::uint16_t>(a + 1000);
    link.table.FindByAddress(54)->DriveValue = -1; // in the block, not taken
    poller.Poll();
    EXPECT_EQ(std::tuple(link.requests, host.events),
              std::tuple(QStringList{"R51x9", "R60x8", "R72x13", "R134x12", "R180x8"},
                         QStringList{"refresh"}));
    EXPECT_EQ((std::vector{Entry(55), Entry(54), Entry(145), Entry(187)}),
              (std::vector<Pair>{{1055, 1055}, {-1, 0}, {1145, 1145}, {1187, 1187}}));
}

// While a capture is armed the status part waits, at most forty cycles.
TEST_F(PollFixture, OrcaHoldsWhileCaptureArmedThenCompletes) {
    link.kind = DeviceKind::Orca230;
    host.scopeOpen = true;
    ParamEntry& command = *link.scope.FindByAddress(50000);
    command.Value = command.DriveValue = 1;
    for (int i = 1; i < StatusPoller::MaxSkippedCycles; ++i) {
        link.tick = 10000;
        poller.Poll();
        // The next cycle after the short pause.
        EXPECT_EQ(std::tuple(link.tick, poller.SkipCount()), std::tuple(9500u, i));
    }
    EXPECT_TRUE(link.requests.isEmpty());
    poller.Poll(); // the 40th skip lets the status part run once
    EXPECT_EQ(std::tuple(poller.SkipCount(), link.requests.first()),
              std::tuple(0, QString("R51x9")));
    // A finished capture runs the scope's handler instead of the status part.
    link.requests.clear();
    host.events.clear();
    command.DriveValue = 2;
    poller.Poll();
    EXPECT_EQ(host.events, (QStringList{"scope step", "capture complete"}));
    EXPECT_TRUE(link.requests.isEmpty());
    // Armed without the scope window, the shortened pause never wraps the tick mark to zero.
    host.scopeOpen = false;
    command.DriveValue = 1;
    link.tick = 300;
    poller.Poll();
    EXPECT_TRUE(link.tick != 0 && link.tick < 300) << link.tick;
}

const QStringList kDriveReads{"R116x5", "R184x4", "R193x5", "R207x6", "R198x2", "R28x1", "R34x1"};

TEST_F(PollFixture, DriveUsesItsOwnRegisters) {
    link.kind = DeviceKind::Drive;
    host.changed[1] = host.down[0] = true;
    host.index[1] = 200;
    link.registers[185] = 77;
    poller.Poll();
    EXPECT_EQ(link.requests, QStringList({"W210=200", "W200=1"}) + kDriveReads);
    EXPECT_EQ(Entry(185).first, 0); // not taken
    link.requests.clear();
    host.digitalOpen = true;
    link.table.FindByAddress(201)->Value = 2;
    poller.Poll();
    EXPECT_EQ(link.requests, kDriveReads + QStringList({"W201=2", "R201x1"}));
}

TEST_F(PollFixture, ForceMasksTakenBeforeATransitionAreNotWrittenAfterIt) {
    link.kind = DeviceKind::Drive;
    host.digitalOpen = true;
    link.table.FindByAddress(201)->Value = 2;
    link.transitionAfterUi = true;
    poller.Poll();
    EXPECT_FALSE(link.requests.join(' ').contains("W201")) << link.requests.join(' ').toStdString();
}

TEST_F(PollFixture, PowerReadsBlockIntoDriveValueOnly) {
    link.kind = DeviceKind::Power;
    link.registers[79] = 245;
    link.table.FindByAddress(79)->Value = 3;
    host.down[0] = true; // Power never writes requests
    poller.Poll();
    EXPECT_EQ(std::tuple(link.requests, Entry(79), host.events),
              std::tuple(QStringList{"R78x10", "R98x1"}, Pair(245, 3), QStringList{"refresh"}));
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
    const QStringList pages{"scope step", "refresh", "digital", "analog"};
    const Row rows[] = {
        {"std pages in order", DeviceKind::Std, true, 0xFFFF, true, std::nullopt, pages},
        // The failed block takes the link off line; the later blocks are refused by the link
        // itself, so only the attempt up to the failure reaches the line.
        {"orca tries every block", DeviceKind::Orca230, true, 60, false,
         QStringList{"R51x9", "R60x8"}, none},
        {"std position read fails", DeviceKind::Std, true, 134, false, StdReads().mid(0, 5), none},
        {"power temperature fails", DeviceKind::Power, true, 98, false, std::nullopt, {"refresh"}},
        {"power block fails", DeviceKind::Power, true, 80, false, std::nullopt, none},
        {"std off line", DeviceKind::Std, false, 0xFFFF, false, none, none},
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
        EXPECT_EQ(std::tuple(r.requests.value_or(link.requests), host.events),
                  std::tuple(link.requests, r.events));
    }
}

} // namespace
} // namespace kelm::test
