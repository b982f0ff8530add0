#include "core/journal/ChangesModel.h"

#include <gtest/gtest.h>

using namespace kelm;

// Change `change` at hour `hour` of a day in December on address `address`; 5 is kelmctl's.
static JournalEntry At(std::uint64_t change, int day, int hour, std::optional<std::uint16_t> reg,
                       int address = 1, bool failed = false) {
    JournalEntry e;
    e.Time = QDateTime(QDate(2026, 12, day), QTime(hour, 0));
    std::tie(e.Program, e.Port, e.Address, e.Kind, e.Identity) =
        std::tuple(change == 5 ? "kelmctl" : "kelmdrive", "/dev/ttyS0", address, "Std",
                   JournalIdentity{"MZ400T", "5.0", "3.4"});
    std::tie(e.Register, e.Name, e.Command, e.Action, e.OldValue, e.NewValue, e.Change) =
        std::tuple(reg, "Speed KP", reg ? "" : "Load Default Data", "Apply", 100, 110, change);
    e.Result = failed ? JournalResult::Failed : JournalResult::Written;
    return e;
}

TEST(ChangesModel, ListsTheDrivesChangesByFilterNewestFirst) {
    const std::vector<JournalEntry> entries{
        At(1, 7, 9, 80),  At(2, 8, 9, 80, 2), At(3, 8, 10, 80), At(3, 8, 10, 81, 1, true),
        At(4, 8, 11, {}), At(5, 8, 12, 80),   At(6, 9, 8, 82)};
    const ChangesScope scope{DriveFilter::Of("/dev/ttyS0", 1, "std", {"MZ400T", "5.0", "3.4"}),
                             {"kelmdrive", QDateTime(QDate(2026, 12, 8), QTime(10, 0))}};
    // The change numbers listed: this session, all, since a date.
    const std::pair<ChangesFilter, QString> cases[] = {{{true, {}}, "6 4 3"},
                                                       {{false, {}}, "6 5 4 3 1"},
                                                       {{false, QDate(2026, 12, 9)}, "6"},
                                                       {{true, QDate(2026, 12, 10)}, ""}};
    for (const auto& [filter, numbers] : cases) {
        QStringList listed;
        for (const ChangeRow& row : ChangeRows(entries, scope, filter))
            listed << QString::number(row.Number);
        EXPECT_EQ(listed.join(' '), numbers);
    }
    const std::vector<ChangeRow> rows = ChangeRows(entries, scope, {true, {}});
    EXPECT_EQ(rows[2].Cells, (ChangeCells{"3", "2026-12-08 10:00:00", "Apply", "kelmdrive",
                                          "1 written, 1 failed"}));
    EXPECT_EQ(rows[2].Children[1], (ChangeCells{"", "81", "Speed KP", "100 -> 110", "failed"}));
    EXPECT_EQ(rows[1].Children[0], (ChangeCells{"", "", "Load Default Data", "", "written"}));
    EXPECT_EQ(CommandsSince(entries, scope.Session.Start), QStringList{"Load Default Data"});
}

TEST(ChangesModel, QuestionCutsLongLists) {
    const UndoPlan plan{"Undo change 3", {{80, "KP", 1, 2, 3}, {81, "KI", 7, 9, 3}}, {}, {"n"}};
    EXPECT_EQ(
        UndoQuestion(plan, "drive", {"x"}, 1),
        "Undo change 3 writes on drive:\r80 KP: 2 -> 1\r... and 1 more\rn\rx\rWrite these values?");
}
