// kelmctl journal against a running kelmsim: writes journalled with their old values, one
// change taken back exactly, the undo a change of its own, commands without values.
#include "sim/kelmsim/SimProcess.h"

#include "common/ProgramRun.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using kelm::sim::test::SimProcess;
using namespace kelm::test;

namespace {

struct JournalCommands : ::testing::Test {
    void SetUp() override {
        qputenv("XDG_DATA_HOME", data.path().toLocal8Bit()); // a journal of this test's own
        ASSERT_TRUE(sim.Start({}, false));
    }
    ProgramRun Ctl(const QStringList& arguments) {
        return Kelmctl(QStringList{"--device", sim.Path()} + arguments, config.path());
    }
    // The journal as "change register old new result" or "change command result" lines.
    QStringList Entries() {
        QStringList out;
        for (const QString& line : Ctl({"journal", "--format", "json"}).Out.split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
            if (o.isEmpty())
                continue;
            const QString what = o["command"].isString() ? o["command"].toString()
                                                         : QStringLiteral("%1 %2 %3")
                                                               .arg(o["register"].toInt())
                                                               .arg(o["old"].toInt())
                                                               .arg(o["new"].toInt());
            out << QStringLiteral("%1 %2 %3")
                       .arg(o["change"].toInt())
                       .arg(what, o["result"].toString());
        }
        return out;
    }
    QTemporaryDir data, config;
    SimProcess sim;
};

TEST_F(JournalCommands, UndoRestoresTheOldValuesAsAChangeOfItsOwn) {
    const QString before = Ctl({"read", "23", "2"}).Out;
    ASSERT_EQ(Ctl({"write", "23", "11", "12"}).Code, 0);
    ASSERT_EQ(Ctl({"write", "24", "13"}).Code, 0);
    const ProgramRun asked = Ctl({"journal", "undo", "1"});
    EXPECT_EQ(asked.Code, 1) << asked.Err.toStdString(); // no terminal, no --yes
    EXPECT_TRUE(asked.Out.contains("  24 : 12 -> ")) << asked.Out.toStdString();
    EXPECT_EQ(Ctl({"read", "23", "2"}).Out, "23\t11\n24\t13\n");

    const ProgramRun undo = Ctl({"--yes", "journal", "undo", "1"});
    EXPECT_EQ(undo.Code, 0) << undo.Err.toStdString();
    EXPECT_EQ(Ctl({"read", "23", "2"}).Out, before);
    const QStringList entries = Entries();
    ASSERT_EQ(entries.size(), 5) << entries.join('\n').toStdString();
    EXPECT_TRUE(entries[0].startsWith("3 23 11 ")) << entries[0].toStdString(); // newest first
    EXPECT_TRUE(entries[1].startsWith("3 24 13 "));
    EXPECT_EQ(entries[2], "2 24 12 13 written");
    EXPECT_TRUE(Ctl({"journal"}).Out.contains("Undo change 1"));

    // A change made on another drive (its model edited in the file): refused, nothing written.
    QFile file(data.filePath("kelmdrive/journal.jsonl"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray last = file.readAll().split('\n').value(4);
    file.close();
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append));
    ASSERT_TRUE(last.contains("\"change\":3")) << last.toStdString();
    file.write(QByteArray(last)
                   .replace("\"change\":3", "\"change\":9")
                   .replace("\"model\":\"", "\"model\":\"X") +
               '\n');
    file.close();
    const ProgramRun other = Ctl({"--yes", "journal", "undo", "9"});
    EXPECT_EQ(other.Code, 2);
    EXPECT_TRUE(other.Err.contains("Change 9 was made on another drive: model X"))
        << other.Err.toStdString();
    EXPECT_EQ(Ctl({"read", "23", "2"}).Out, before);
    const ProgramRun missing = Ctl({"--yes", "journal", "undo", "99"});
    EXPECT_EQ(missing.Code, 2);
    EXPECT_TRUE(missing.Err.contains("Change 99 is not in the journal"));
}

TEST_F(JournalCommands, CommandsAreJournalledWithoutValues) {
    ASSERT_EQ(Ctl({"eeprom", "save"}).Code, 0);
    EXPECT_EQ(Entries(), QStringList{"1 Save Data To EEPROM written"});
    const ProgramRun undo = Ctl({"--yes", "journal", "undo", "1"});
    EXPECT_EQ(undo.Code, 0);
    EXPECT_TRUE(undo.Err.contains("left nothing to take back"));
}

} // namespace
