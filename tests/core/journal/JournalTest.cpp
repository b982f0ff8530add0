#include "core/journal/Journal.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kelm;

namespace {

JournalEntry Write(std::uint16_t reg, int oldValue, int newValue) {
    JournalEntry e;
    std::tie(e.Time, e.Program, e.UserLevel, e.Port, e.Address, e.Kind, e.Identity) =
        std::tuple(QDateTime::fromString("2026-12-08T10:15:30.250+01:00", Qt::ISODate), "kelmdrive",
                   "Expert", "/dev/ttyUSB0", 3, "Drive", JournalIdentity{"TD 230", "8 A", "2.14"});
    std::tie(e.Register, e.Name, e.OldValue, e.NewValue, e.Action) =
        std::tuple(reg, "Speed KP", oldValue, newValue, "Speed page Apply");
    return e;
}

} // namespace

TEST(JournalEntry, RoundTripsWritesAndCommands) {
    JournalEntry write = Write(40, -5, 65535);
    write.Change = 7;
    JournalEntry command = write;
    command.Register = std::nullopt;
    command.OldValue = command.NewValue = std::nullopt;
    std::tie(command.Name, command.Command, command.Result) =
        std::tuple("", "Save Data To EEPROM", JournalResult::Failed);
    for (const JournalEntry& entry : {write, command}) {
        const QByteArray line = ToJsonLine(entry);
        EXPECT_TRUE(line.endsWith('\n') && line.count('\n') == 1) << line.toStdString();
        const auto back = FromJsonLine(line);
        ASSERT_TRUE(back);
        EXPECT_EQ(std::tuple(back->Time, back->Time.offsetFromUtc(), back->Register, back->OldValue,
                             back->NewValue, back->Change),
                  std::tuple(entry.Time, 3600, entry.Register, entry.OldValue, entry.NewValue,
                             entry.Change));
        EXPECT_EQ(std::tie(back->Identity, back->Command, back->Action, back->Result, back->Name),
                  std::tie(entry.Identity, entry.Command, entry.Action, entry.Result, entry.Name));
    }
    EXPECT_TRUE(ToJsonLine(write).contains("\"change\":7"));
}

TEST(JournalEntry, RefusesLinesThatAreNotEntries) {
    const char* const bad[] = {
        "",
        "{",
        "[1,2]",
        "not json",
        R"({"time":"yesterday","result":"written","change":1})",
        R"({"time":"2026-12-08T10:00:00Z","result":"maybe","change":1})",
        R"({"time":"2026-12-08T10:00:00Z","result":"written","change":0})",
        R"({"time":"2026-12-08T10:00:00Z","result":"written","change":1,"register":70000})"};
    for (const char* line : bad)
        EXPECT_FALSE(FromJsonLine(line)) << line;
    EXPECT_TRUE(FromJsonLine(R"({"time":"2026-12-08T10:00:00Z","result":"written","change":1})"));
}

TEST(Journal, NumbersChangesAcrossWritersAndSkipsDamagedLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kelmdrive/journal.jsonl"));
    Journal program({path}), cli({path});
    JournalEntry first = Write(40, 1, 2), second = Write(41, 3, 4), other = Write(42, 5, 6);
    ASSERT_TRUE(program.Append(first));
    second.Change = first.Change;
    ASSERT_TRUE(program.Append(second));
    ASSERT_TRUE(cli.Append(other)); // another process starts a change of its own
    EXPECT_EQ(first.Change, 1u);
    EXPECT_EQ(other.Change, 2u);
    EXPECT_TRUE(program.Flush());
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("{\"time\":\"2026-12-08T10:1"); // cut off by a crash
        file.write("\n");
    }
    JournalEntry after = Write(43, 7, 8);
    ASSERT_TRUE(program.Append(after));
    EXPECT_EQ(after.Change, 3u);
    const Journal::Listing listing = program.Read();
    ASSERT_EQ(listing.Entries.size(), 4u);
    EXPECT_EQ(listing.Entries[3].Register, std::optional<std::uint16_t>(43));
    ASSERT_EQ(listing.Skipped.size(), 1);
    EXPECT_EQ(listing.Skipped[0],
              QStringLiteral("journal.jsonl line 4: not a journal entry, skipped"));
}

TEST(Journal, RotatesAndKeepsTheLastFiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("journal.jsonl"));
    const qint64 lineBytes = ToJsonLine(Write(40, 1, 2)).size();
    Journal journal({path, lineBytes * 2 + 4, 3}); // two entries per file, three files
    for (int i = 0; i < 9; ++i) {
        JournalEntry entry = Write(static_cast<std::uint16_t>(100 + i), i, i + 1);
        ASSERT_TRUE(journal.Append(entry)) << qPrintable(journal.Error());
    }
    EXPECT_FALSE(QFile::exists(journal.FilePath(3)));
    const auto entries = journal.Read().Entries;
    ASSERT_EQ(entries.size(), 5u); // files of 2 + 2 + 1: the oldest four are gone
    EXPECT_EQ(entries.front().Register, std::optional<std::uint16_t>(104));
    EXPECT_EQ(entries.back().Change, 9u); // numbering carried on across rotations
}

TEST(Journal, SaysWhyItCannotWrite) {
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    Journal journal({dir.filePath(QStringLiteral("file/journal.jsonl"))});
    JournalEntry entry = Write(40, 1, 2);
    EXPECT_FALSE(journal.Append(entry));
    EXPECT_FALSE(journal.Error().isEmpty());
}
