#include "core/drive/Session.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <vector>

namespace kelm {
namespace {

using E = SessionEvent;

// State letters: O on line, U unit in use, T transfer, V overview, S scope.
SessionState Parse(const char* letters) {
    SessionState s;
    for (const char* c = letters; *c != '\0'; ++c) {
        s.Online |= *c == 'O';
        s.UnitInUse |= *c == 'U';
        s.Transfer |= *c == 'T';
        s.Overview |= *c == 'V';
        s.Scope |= *c == 'S';
    }
    return s;
}

struct Case {
    const char* Before;
    E Event;
    const char* After;
    bool Advances;
};

// The sound outcomes at the edges: a closed or failed transfer goes off line, the overview's
// Cancel keeps what was in use, an off-line kind choice leaves no unit in use.
// clang-format off
const Case cases[] = {
    {"OUS", E::SelectionStarted, "OUS", true},
    {"", E::Connected, "OU", true},
    {"OU", E::TransferStarted, "OUT", false},
    {"OUT", E::TableRead, "OU", true},
    {"OUT", E::TransferDone, "OU", false},
    {"OUT", E::TransferClosed, "U", true},
    {"OUTS", E::TransferFailed, "US", true},
    {"OU", E::LineLost, "U", true},
    {"OU", E::OverviewOpened, "OUV", true},
    {"OUV", E::OverviewCancelled, "OU", true},
    {"V", E::OverviewCancelled, "", true},
    {"OUV", E::UnitChosen, "OU", true},
    {"OU", E::KindChanged, "", true},
    {"OU", E::ScopeOpened, "OUS", false},
    {"OUS", E::ScopeClosed, "OU", false},
    {"US", E::ScopeClosed, "U", false},
};
// clang-format on

TEST(SessionTest, TransitionsFollowTheTable) {
    for (const Case& c : cases) {
        const SessionStep step = NextSessionState(Parse(c.Before), c.Event);
        EXPECT_EQ(step.State, Parse(c.After)) << c.Before << " event " << int(c.Event);
        EXPECT_EQ(step.Advances, c.Advances) << c.Before << " event " << int(c.Event);
    }
}

TEST(SessionTest, GateDropsRequestsOfAnEarlierGenerationOrAnotherUnit) {
    Session session;
    WriteGate& gate = session.Gate();
    std::vector<GateRecord> seen;
    QStringList notes;
    gate.SetObserver([&](const GateRecord& r) { seen.push_back(r); });
    gate.SetNoteSink([&](const QString& n) { notes << n; });
    const UnitInUse unit3{10, true, 3, DeviceKind::Drive};
    const UnitInUse power{10, true, 1, DeviceKind::Power};

    session.On(E::Connected);
    const WriteOrigin enable = gate.Ask(QStringLiteral("Enable"), unit3);
    {
        WriteGate::Scope scope(gate, enable);
        EXPECT_TRUE(gate.Admit(unit3, 200, 1));
        EXPECT_FALSE(gate.Admit(power, 200, 1)); // the line now addresses another unit
    }
    session.On(E::ScopeOpened); // not a transition of the line
    EXPECT_TRUE(gate.Current(enable, unit3));
    session.On(E::OverviewOpened);
    EXPECT_FALSE(gate.Current(enable, unit3));
    {
        WriteGate::Scope scope(gate, enable);
        EXPECT_FALSE(gate.Admit(unit3, 200, 1));
        EXPECT_FALSE(gate.Admit(unit3, 201, 1));
    }
    EXPECT_TRUE(gate.Admit(unit3, 80, 5)); // outside a scope: asked now
    ASSERT_EQ(seen.size(), 5U);
    EXPECT_EQ(seen[1].Target, power);
    EXPECT_EQ(seen[4].Origin.Generation, gate.Generation());
    EXPECT_EQ(gate.DroppedCount(), 3);
    // One note per stale request, naming the action.
    EXPECT_EQ(notes, QStringList({WriteGate::DroppedNote(QStringLiteral("Enable"))}));
    EXPECT_TRUE(notes.front().contains(QStringLiteral("\"Enable\"")));
}

} // namespace
} // namespace kelm
