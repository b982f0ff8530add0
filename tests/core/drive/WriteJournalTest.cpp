#include "core/drive/WriteJournal.h"
#include "DriveTestSupport.h"

#include <QTemporaryDir>

namespace kelm::test {
namespace {

using WriteJournalTest = DriveFixture;

TEST_F(WriteJournalTest, OneRequestIsOneChangeWithOldValuesAndOutcomes) {
    UseTable(DeviceKind::Std, {MakeEntry(40, 'A', 5), MakeEntry(41, 'A', 6)});
    QTemporaryDir dir;
    QStringList notes;
    WriteJournal journal(
        {dir.filePath(QStringLiteral("journal.jsonl"))}, QStringLiteral("kelmdrive"),
        [](const UnitInUse&) {
            return JournalContext{QStringLiteral("Expert"),
                                  QStringLiteral("/dev/ttyUSB0"),
                                  QStringLiteral("Std"),
                                  {QStringLiteral("MZ400T"), {}, {}}};
        },
        [&notes](const QString& note) { notes << note; });
    driver->SetWriteRecorder([&journal](const WriteRecord& record) { journal.Record(record); });

    {
        const WriteGate::Scope apply(driver->Gate(), driver->Ask(QStringLiteral("Speed Apply")));
        driver->WriteParam(40, 50, false);
        driver->WriteParam(41, 60, false);
        driver->WriteReg(50000, 1, false, 100, nullptr); // not a parameter: not journalled
    }
    driver->WriteParam(40, 70, false); // asked now: a change of its own
    const WriteOrigin stale = driver->Ask(QStringLiteral("Enable"));
    driver->Gate().Advance();
    {
        const WriteGate::Scope late(driver->Gate(), stale);
        driver->WriteParam(41, 1, false);
    }
    drive->Silent.insert(40);
    driver->WriteParam(40, 9, false);

    using Row = std::tuple<int, int, int, JournalResult, std::uint64_t>;
    std::vector<Row> rows;
    const auto listing = journal.File().Read();
    for (const JournalEntry& e : listing.Entries)
        rows.emplace_back(*e.Register, *e.OldValue, *e.NewValue, e.Result, e.Change);
    EXPECT_EQ(rows, (std::vector<Row>{{40, 5, 50, JournalResult::Written, 1},
                                      {41, 6, 60, JournalResult::Written, 1},
                                      {40, 50, 70, JournalResult::Written, 2},
                                      {41, 60, 1, JournalResult::Refused, 3},
                                      {40, 70, 9, JournalResult::Failed, 4}}));
    const JournalEntry& first = listing.Entries.front();
    EXPECT_EQ(std::tie(first.Action, first.Port, first.Identity.Model, first.Name),
              std::tie("Speed Apply", "/dev/ttyUSB0", "MZ400T", "R40"));
    EXPECT_EQ(journal.ChangeCount(), 4);
    EXPECT_TRUE(notes.isEmpty());
}

TEST_F(WriteJournalTest, AJournalThatCannotBeWrittenIsSaidOnce) {
    UseTable(DeviceKind::Std, {MakeEntry(40)});
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    QStringList notes;
    WriteJournal journal({dir.filePath(QStringLiteral("file/journal.jsonl"))},
                         QStringLiteral("kelmctl"), {},
                         [&notes](const QString& note) { notes << note; });
    driver->SetWriteRecorder([&journal](const WriteRecord& record) { journal.Record(record); });
    EXPECT_TRUE(driver->WriteParam(40, 1, false)); // the write itself goes on
    EXPECT_TRUE(driver->WriteParam(40, 2, false));
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes[0].startsWith(QStringLiteral("The journal of changes cannot be written")));
}

} // namespace
} // namespace kelm::test
