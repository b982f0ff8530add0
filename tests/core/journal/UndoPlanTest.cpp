#include "core/journal/UndoPlan.h"
#include "core/journal/JournalQuery.h"

#include <gtest/gtest.h>

using namespace kelm;

namespace {

const JournalIdentity Mz400{"MZ400T", "5.0", "3.4"};
const ConnectedDrive Connected{"Std", Mz400};

// A journal entry at minute `minute` of one day on address 1 of /dev/ttyS0.
JournalEntry Entry(std::uint64_t change, int minute, std::optional<std::uint16_t> reg,
                   int oldValue = 0, int newValue = 0,
                   JournalResult result = JournalResult::Written) {
    JournalEntry e;
    std::tie(e.Time, e.Program, e.Port, e.Address, e.Kind, e.Identity, e.Register) =
        std::tuple(QDateTime(QDate(2026, 12, 8), QTime(10, minute)), "kelmdrive", "/dev/ttyS0", 1,
                   "Std", Mz400, reg);
    e.Name = reg ? QStringLiteral("R%1").arg(*reg) : QString();
    e.Command = reg ? QString() : QStringLiteral("Save Data To EEPROM");
    if (reg)
        std::tie(e.OldValue, e.NewValue) = std::tuple(oldValue, newValue);
    std::tie(e.Result, e.Change) = std::tuple(result, change);
    return e;
}

std::vector<JournalEntry> Journal() {
    std::vector<JournalEntry> j = {Entry(10, 1, 80, 100, 110),
                                   Entry(10, 1, 81, 5, 6),
                                   Entry(11, 2, 80, 110, 120),
                                   Entry(11, 2, 82, 0, 9, JournalResult::Failed),
                                   Entry(12, 3, std::nullopt),
                                   Entry(13, 4, 81, 6, 7),
                                   Entry(14, 5, 83, 1, 2, JournalResult::Refused),
                                   Entry(15, 6, 80, 120, 130),
                                   Entry(16, 7, 84, 0, 1)};
    j[7].Address = 2; // another drive
    j[7].Identity.Firmware = QStringLiteral("3.5");
    j[8].Program = QStringLiteral("kelmctl");
    return j;
}

// "register=value(undone,change)" per write, for one comparison.
QStringList Writes(const UndoPlan& plan) {
    QStringList out;
    for (const UndoWrite& w : plan.Writes)
        out << QString::asprintf("%d=%d(%d,%llu)", w.Register, w.Value, w.Undone,
                                 static_cast<unsigned long long>(w.Change));
    return out;
}

} // namespace

TEST(JournalQuery, FiltersByDriveDateAndSessionNewestFirst) {
    const auto drive = [](const char* text) { return *ParseDriveFilter(QLatin1String(text)); };
    const QDateTime minute3(QDate(2026, 12, 8), QTime(10, 3));
    struct Case {
        const char* What;
        JournalFilter Filter;
        std::vector<std::uint64_t> Changes;
    } cases[] = {
        {"all", {{}, {}, {}}, {16, 15, 14, 13, 12, 11, 10}},
        {"address 2", {drive("address=2"), {}, {}}, {15}},
        {"firmware without case",
         {drive(" FIRMWARE = 3.4 ,kind=STD"), {}, {}},
         {16, 14, 13, 12, 11, 10}},
        {"the drive connected",
         {DriveFilter::Of("/dev/ttyS0", 1, "Std", Mz400), {}, {}},
         {16, 14, 13, 12, 11, 10}},
        {"since", {{}, minute3, {}}, {16, 15, 14, 13, 12}},
        {"session", {{}, {}, SessionFilter{"kelmdrive", minute3}}, {15, 14, 13, 12}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint64_t> got;
        for (const JournalChange& change : QueryChanges(Journal(), c.Filter))
            got.push_back(change.Number);
        EXPECT_EQ(got, c.Changes) << c.What;
    }
    const auto grouped = QueryChanges(Journal(), JournalFilter{});
    EXPECT_EQ(grouped.back().Entries.size(), 2u);
    EXPECT_EQ(grouped.back().Entries[1].Register, 81);

    QString error;
    for (const char* bad : {"address=300", "colour=red", "model"})
        EXPECT_FALSE(ParseDriveFilter(QLatin1String(bad), &error)) << bad;
    EXPECT_TRUE(error.contains("is not key=value"));
    EXPECT_EQ(ParseSince("2026-12-08"), QDateTime(QDate(2026, 12, 8), QTime(0, 0)));
    EXPECT_TRUE(ParseSince("2026-12-08T10:15:00+01:00").isValid());
    EXPECT_FALSE(ParseSince("yesterday").isValid());
}

TEST(UndoPlan, WritesBackTheOldestOldValueOfWhatReachedTheDrive) {
    struct Case {
        std::vector<std::uint64_t> Changes;
        QStringList Writes;
        const char* Refusal; // "" when the plan goes ahead
        int Notes;
    } cases[] = {
        {{10}, {"80=100(110,10)", "81=5(6,10)"}, "", 2}, // 80 and 81 changed again later
        {{11, 10}, {"80=100(120,10)", "81=5(6,10)"}, "", 1},
        {{13, 10, 11}, {"80=100(120,10)", "81=5(7,10)"}, "", 0},
        {{11}, {"80=110(120,11)"}, "", 0}, // the failed write changed nothing
        {{12, 14}, {}, "", 0},             // a command and a refused write
        {{16}, {"84=0(1,16)"}, "", 0},     // another program, same drive
        {{15}, {}, "Change 15 was made on another drive: firmware 3.5 (connected: 3.4)", 0},
        {{10, 99}, {}, "Change 99 is not in the journal", 0},
        {{}, {}, "No change selected", 0},
    };
    for (const Case& c : cases) {
        const UndoPlan plan = PlanUndo(Journal(), c.Changes, Connected);
        EXPECT_EQ(Writes(plan), c.Writes) << c.Changes.size();
        EXPECT_EQ(plan.Refusal, QLatin1String(c.Refusal));
        EXPECT_EQ(plan.Notes.size(), c.Notes) << plan.Notes.join('\n').toStdString();
    }
    EXPECT_EQ(PlanUndo(Journal(), {11, 10}, Connected).Action, "Undo changes 10, 11");

    const UndoPlan kind = PlanUndo(Journal(), {10}, {"Drive", {"MZ400T", "5.0", "3.4"}});
    EXPECT_EQ(kind.Refusal, "Change 10 was made on another drive: kind Std (connected: Drive)");
}

TEST(UndoPlan, BackToConnectionTakesEveryChangeSinceOfThisDrive) {
    std::vector<JournalEntry> entries = Journal();
    const DriveFilter drive = DriveFilter::Of("/dev/ttyS0", 1, "Std", Mz400);
    std::erase_if(entries, [&](const JournalEntry& e) { return !drive.Matches(e); });
    const QDateTime minute2(QDate(2026, 12, 8), QTime(10, 2));
    const UndoPlan plan = PlanBackToConnection(entries, minute2, Connected);
    EXPECT_EQ(Writes(plan), QStringList({"80=110(120,11)", "81=6(7,13)", "84=0(1,16)"}));
    EXPECT_FALSE(plan.Refused());
    EXPECT_TRUE(PlanBackToConnection(entries, minute2.addSecs(3600), Connected).Writes.empty());
}
