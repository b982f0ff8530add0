#include "core/journal/ChangesModel.h"

#include <gtest/gtest.h>

using namespace kelm;

namespace {

// Change `change` at hour `hour` of a day in December, by `program`, on address `address`.
JournalEntry At(std::uint64_t change, int day, int hour, std::optional<std::uint16_t> reg,
                JournalResult result = JournalResult::Written, int address = 1,
                const char* program = "kelmdrive") {
    JournalEntry e{QDateTime(QDate(2026, 12, day), QTime(hour, 0)),
                   program,
                   {},
                   "/dev/ttyS0",
                   address,
                   "Std",
                   {"MZ400T", "5.0", "3.4"},
                   reg,
                   reg ? "Speed KP" : "",
                   reg ? std::optional(100) : std::nullopt,
                   reg ? std::optional(110) : std::nullopt,
                   reg ? "" : "Load Default Data",
                   "Apply",
                   result,
                   change};
    return e;
}

} // namespace

TEST(ChangesModel, ListsTheDrivesChangesByFilterNewestFirst) {
    const std::vector<JournalEntry> entries{At(1, 7, 9, 80),
                                            At(2, 8, 9, 80, JournalResult::Written, 2),
                                            At(3, 8, 10, 80),
                                            At(3, 8, 10, 81, JournalResult::Failed),
                                            At(4, 8, 11, std::nullopt),
                                            At(5, 8, 12, 80, JournalResult::Written, 1, "kelmctl"),
                                            At(6, 9, 8, 82)};
    const ChangesScope scope{DriveFilter::Of("/dev/ttyS0", 1, "std", {"MZ400T", "5.0", "3.4"}),
                             {"kelmdrive", QDateTime(QDate(2026, 12, 8), QTime(10, 0))}};
    const struct {
        ChangesFilter Filter;
        QStringList Rows; // number: summary
    } cases[] = {
        {{true, {}}, {"6: 1 written", "4: 1 written", "3: 1 written, 1 failed"}},
        {{false, {}},
         {"6: 1 written", "5: 1 written", "4: 1 written", "3: 1 written, 1 failed",
          "1: 1 written"}},
        {{false, QDate(2026, 12, 9)}, {"6: 1 written"}},
        {{true, QDate(2026, 12, 10)}, {}},
    };
    for (const auto& c : cases) {
        QStringList rows;
        for (const ChangeRow& row : ChangeRows(entries, scope, c.Filter))
            rows << QStringLiteral("%1: %2").arg(row.Number).arg(row.Cells[4]);
        EXPECT_EQ(rows, c.Rows) << c.Filter.ThisSessionOnly;
    }
    const std::vector<ChangeRow> rows = ChangeRows(entries, scope, {true, {}});
    EXPECT_EQ(rows[2].Cells, (ChangeCells{"3", "2026-12-08 10:00:00", "Apply", "kelmdrive",
                                          "1 written, 1 failed"}));
    EXPECT_EQ(rows[2].Children[1], (ChangeCells{"", "81", "Speed KP", "100 -> 110", "failed"}));
    EXPECT_EQ(rows[1].Children[0], (ChangeCells{"", "", "Load Default Data", "", "written"}));
    EXPECT_EQ(CommandsSince(entries, scope.Session.Start), QStringList{"Load Default Data"});
}

TEST(ChangesModel, QuestionListsWritesNotesAndCutsLongLists) {
    UndoPlan plan{"Undo change 3",
                  {{80, "Speed KP", 100, 110, 3}, {81, "Speed KI", 7, 9, 3}},
                  {},
                  {"Register 80 (Speed KP) was changed again by change 4"}};
    EXPECT_EQ(UndoQuestion(plan, "drive", {"x"}),
              "Undo change 3 writes on drive:\r80 Speed KP: 110 -> 100\r81 Speed KI: 9 -> 7\r"
              "Register 80 (Speed KP) was changed again by change 4\rx\rWrite these values?");
    EXPECT_TRUE(
        UndoQuestion(plan, "drive", {}, 1).contains("Speed KP: 110 -> 100\r... and 1 more"));
    EXPECT_EQ(UndoOutcomeText("Undo change 3", 1, {"r: why"}),
              "Undo change 3: 1 register written back.\rr: why");
}
