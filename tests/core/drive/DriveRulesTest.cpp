// The drive model's plain rules: the session's transitions and write gate, the count of
// unsaved changes, a step's capture plan, and what register 0 says about the drive.
#include "core/analysis/TraceMeasurements.h"
#include "core/drive/DriveIdentity.h"
#include "core/drive/KindRegisters.h"
#include "core/drive/LinkIdentification.h"
#include "core/drive/Session.h"
#include "core/drive/UnsavedChanges.h"
#include "core/drive/WriteJournal.h"
#include "core/drive/scope/StepPlan.h"
#include "core/params/ParamTable.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <variant>
#include <vector>

namespace kelm {
namespace {

using E = SessionEvent;

// State letters: O on line, U unit in use, T transfer, V overview, S scope.
SessionState Parse(const QString& s) {
    return {s.contains('O'), s.contains('U'), s.contains('T'), s.contains('V'), s.contains('S')};
}

// The sound outcomes at the edges: a closed or failed transfer goes off line, the overview's
// Cancel keeps what was in use, an off-line kind choice leaves no unit in use.
TEST(SessionTest, TransitionsFollowTheTable) {
    // clang-format off
    const std::tuple<const char*, E, const char*, bool> cases[] = {
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
    for (const auto& [before, event, after, advances] : cases) {
        SCOPED_TRACE(std::string(before) + " event " + std::to_string(int(event)));
        const SessionStep step = NextSessionState(Parse(before), event);
        EXPECT_EQ(step.State, Parse(after));
        EXPECT_EQ(step.Advances, advances);
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
        EXPECT_FALSE(gate.Admit(unit3, 200, 1) || gate.Admit(unit3, 201, 1));
    }
    EXPECT_TRUE(gate.Admit(unit3, 80, 5)); // outside a scope: asked now
    ASSERT_EQ(seen.size(), 5U);
    EXPECT_EQ(seen[1].Target, power);
    EXPECT_EQ(std::tuple(seen[4].Origin.Generation, gate.DroppedCount()),
              std::tuple(gate.Generation(), 3));
    // One note per stale request, naming the action.
    EXPECT_EQ(notes, QStringList({WriteGate::DroppedNote(QStringLiteral("Enable"))}));
    EXPECT_TRUE(notes.front().contains(QStringLiteral("\"Enable\"")));
}

// Which writes count and which events start the count again, as one run of steps (a write:
// register, outcome, where: 'T' the table, 'P' the profiles, '-' neither); the listener
// hears every change of the count.
TEST(UnsavedChanges, CountsSettingWritesUntilSaveLoadOrTableRead) {
    using Event = UnsavedChanges::Event;
    using Write = std::tuple<std::uint16_t, JournalResult, char>;
    constexpr auto ok = JournalResult::Written;
    const std::uint16_t command = RegistersOf(DeviceKind::Std).Command;
    const std::tuple<std::variant<Write, Event>, int, const char*> rows[] = {
        {Write{80, ok, 'T'}, 1, "a setting"},
        {Write{80, ok, 'T'}, 2, "the same register again"},
        {Write{81, JournalResult::Refused, 'T'}, 2, "dropped by the gate"},
        {Write{81, JournalResult::Failed, 'T'}, 2, "not answered"},
        {Write{50000, ok, '-'}, 2, "outside the table"},
        {Write{command, ok, 'T'}, 2, "the command register"},
        {Write{52, ok, 'T'}, 2, "a drive-owned register"},
        {Write{300, ok, 'P'}, 2, "a profile register (its own flash command)"},
        {Event::SavedToEeprom, 0, "saved"},
        {Write{90, ok, 'T'}, 1, "after a save"},
        {Event::LoadedFromEeprom, 0, "reloaded"},
        {Write{90, ok, 'T'}, 1, "after a reload"},
        {Event::TableRead, 0, "table read"},
    };
    UnsavedChanges counter;
    int heard = 0;
    counter.SetListener([&heard] { ++heard; });
    for (const auto& [step, count, why] : rows) {
        if (const auto* write = std::get_if<Write>(&step)) {
            WriteRecord record;
            std::tie(record.Gate.Address, record.Result, std::ignore) = *write;
            record.Name = std::get<2>(*write) != '-' ? QStringLiteral("P") : QString();
            record.Profile = std::get<2>(*write) == 'P';
            counter.Record(record);
        } else {
            counter.On(std::get<Event>(step));
        }
        EXPECT_EQ(counter.Count(), count) << why;
    }
    EXPECT_EQ(heard, 7);
    EXPECT_EQ(UnsavedChanges::StatusText(3), QStringLiteral("Not saved to EEPROM (3)"));
}

// A step's capture: the window that ends before the step does, the trigger in the step's
// direction, refusals; and the step's sample found on a recorded reference.
ScopeScaleSet Signals(const QString& first, const QString& second) {
    const std::vector<ScopeScale> scales{{"100", 100}, {"200", 200}, {"500", 500}};
    return {{first, scales, "rpm"}, {"Current", scales, "%"}, {second, scales, "rpm"}};
}

TEST(StepPlanTest, WindowTriggerAndScaleFollowTheStep) {
    struct Case {
        int Rpm, Ms, Window, Delay, Edge, Level, Scale;
    };
    for (const Case c : {Case{500, 500, 500, 50, 1, 50, 200}, Case{-300, 200, 200, 20, 2, -30, 100},
                         Case{5, 10, 10, 1, 1, 1, 100}, Case{2000, 10000, 10000, 1000, 1, 200, 500},
                         Case{100, 449, 200, 20, 1, 10, 100}}) {
        QString refusal;
        const auto plan =
            scope::PlanStep(Signals("Speed", "Speed Reference"), c.Rpm, c.Ms, refusal);
        ASSERT_TRUE(plan) << c.Rpm << ' ' << c.Ms;
        EXPECT_EQ(std::tuple(plan->Signal1, plan->Signal2, plan->TimeWindow, plan->Delay,
                             plan->Edge, plan->Level, plan->Scale1),
                  std::tuple(1, 3, c.Window, c.Delay, c.Edge, c.Level, c.Scale))
            << c.Rpm << ' ' << c.Ms;
    }
    QString refusal;
    EXPECT_FALSE(scope::PlanStep(Signals("Speed", "Reference"), 500, 500, refusal) ||
                 scope::PlanStep(Signals("Speed", "Speed Reference"), 0, 500, refusal) ||
                 scope::PlanStep(Signals("Speed", "Speed Reference"), 500, 9, refusal));
    EXPECT_FALSE(refusal.isEmpty());
}

TEST(StepPlanTest, StepIndexIsWhereTheReferencePassesHalfWay) {
    using V = std::vector<double>;
    EXPECT_EQ(
        (std::vector{StepIndexOf(V{0, 0, 0, 500, 500, 0}), StepIndexOf(V{10, 10, -100, -290, -290}),
                     StepIndexOf(V{7, 7, 7}), StepIndexOf(V{})}),
        (std::vector<std::optional<int>>{3, 3, std::nullopt, std::nullopt}));
}

ParamTable Register0(std::uint16_t word) {
    ParamTable table;
    ParamEntry entry;
    entry.Address = 0;
    entry.Value = static_cast<std::int16_t>(word);
    table.Add(entry);
    return table;
}
// What register 0 says on a Std or a Tarn Drive: the model text, the size (0x05D2, 210, has
// no .5) and on a Std drive whether the regen choice is offered (-1: not checked).
TEST(DriveIdentity, ModelsSizesAndRegenChoice) {
    using enum DeviceKind;
    const struct {
        DeviceKind kind;
        std::uint16_t word;
        const char* text;
        double size;
        int regen;
    } cases[] = {
        {Std, 0x0401, " MZ400T ", 1.5, 1},          {Std, 0x0103, " ZEPHON ", 3.5, 1},
        {Std, 0x0203, " QBX-Net ", 3.0, 0},         {Std, 0x0305, " Rapid Lynx ", 5.0, 0},
        {Std, 0x0465, " MZ230T ", 1.5, 1},          {Std, 0x04C8, " MZ230M ", 0.0, 1},
        {Std, 0x04FB, " MZ230M ", 51.0, 1},         {Std, 0x0903, "  UNKNOW ", 3.0, 0},
        {Std, 0x0101, " ZEPHON ", 1.5, 1},          {Std, 0x0102, " ZEPHON ", 2.0, 1},
        {Drive, 0x05CA, "Tarn Drive 600", 2.5, -1}, {Drive, 0x0503, "Unknow", 0.0, -1},
        {Drive, 0x0403, "  ERROR", 0.0, -1},        {Drive, 0x056E, "Tarn Drive 300", 10.0, -1},
        {Drive, 0x05D2, "Tarn Drive 600", 10.0, -1}};
    for (const auto& c : cases) {
        const ParamTable table = Register0(c.word);
        SCOPED_TRACE(c.word);
        EXPECT_EQ(ModelText(c.kind, table), c.text);
        EXPECT_DOUBLE_EQ(GetDriveSize(c.kind, table), c.size);
        EXPECT_TRUE(c.regen < 0 || RegenChoiceEnabled(GetModelFamily(c.kind, table)) == c.regen);
    }
    EXPECT_EQ(std::tuple(GetModelFamily(Std, Register0(0x0401)), GetModelSeries(Register0(0x04C8)),
                         DriveTypeValid(Register0(0x0403)),
                         GetModelFamily(Power, Register0(0x05C8))),
              std::tuple(4, 2, false, 0));
    EXPECT_EQ(ModelText(Power, Register0(0x05C8)), "Tarn Power 600");
    EXPECT_EQ(ModelText(Power, Register0(0x05C7)), "Tarn Power 300");
    EXPECT_EQ(ModelText(Orca230, Register0(25)), " TARN ");
    EXPECT_NEAR(GetDriveSize(Orca230, Register0(25)), 2.5, 1e-9);
    EXPECT_NEAR(GetDriveSize(Orca230, Register0(0xFFF6)), -1.0, 1e-9);
    const ParamTable empty; // a missing register 0 decodes as 0
    EXPECT_EQ(std::tuple(ModelText(Std, empty), GetDriveSize(Std, empty), ModelText(Drive, empty)),
              std::tuple(QString("  UNKNOW "), 0.0, QString("  ERROR")));
}

TEST(DriveIdentity, VersionAndHardwareTextsAndCanBaudLists) {
    EXPECT_EQ(
        QStringList({StdFirmwareText(0x1A05), StdFirmwareText(0x0F0C), BootVersionText(0x0203),
                     HardwareInfoText({1, 2, 3, 10, 30, 2024, 7, -1}), SizeText(1.5, true),
                     SizeText(12.0, false), LinkCanBaudList().Items.at(4)}),
        QStringList({" 1A.5", " 15.12", " 2.3", "1.2.3   10:30   2024.007.-1", " 1.5", "12.0",
                     "125 kbit(s"}));
    EXPECT_EQ(std::tuple(PlainCanBaudList().Items.size(), CanBaudIndex(PlainCanBaudList(), 300),
                         CanBaudIndex(PlainCanBaudList(), 1000),
                         CanBaudIndex(LinkCanBaudList(), 10)),
              std::tuple(7, -1, 6, 7));
}

// Which unit an address names on an identified link: Power unit at the base address, Drive
// units above it, an Orca at 2 (and at the base, where its signature was read).
TEST(DriveIdentity, LinkUnitKindByAddress) {
    const LinkIdentity link{true, false, 10, 3}, orca{true, true, 1, 0}, silent{false, false, 1, 3};
    const std::optional<DeviceKind> no, power = DeviceKind::Power, drive = DeviceKind::Drive,
                                        orca230 = DeviceKind::Orca230;
    EXPECT_EQ((std::vector{LinkUnitKind(link, 10), LinkUnitKind(link, 11), LinkUnitKind(link, 13),
                           LinkUnitKind(link, 14), LinkUnitKind(link, 9), LinkUnitKind(orca, 2),
                           LinkUnitKind(orca, 1), LinkUnitKind(orca, 3), LinkUnitKind(silent, 1)}),
              (std::vector{power, drive, drive, no, no, orca230, orca230, no, no}));
}

} // namespace
} // namespace kelm
