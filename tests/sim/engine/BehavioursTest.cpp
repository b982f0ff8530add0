#include "SimTestSupport.h"

#include "sim/engine/behaviours/CommandHandshake.h"
#include "sim/engine/behaviours/ScopeRecorder.h"

#include <QFile>
#include <QTemporaryDir>

using namespace kelm::sim;
using namespace kelm::sim::test;

constexpr std::uint8_t Std = 1;
constexpr std::uint16_t Command = 69;
constexpr std::uint16_t Status = 51;

// Writing 0 withdraws a pending command; a reset clears the active alarms (their history
// stays), disables the drive and restarts it from the EEPROM image, which the defaults leave
// as the last save made it.
TEST(SimEeprom, SaveReloadDefaultsWithdrawalAndReset) {
    auto engine = MakeEngine(Kind(SimKind::Std));
    const auto command = [&](std::uint16_t bit, std::uint32_t at) {
        ASSERT_TRUE(WriteVia(*engine, Std, Command, {bit}, at));
        engine->Tick(at + CommandHandshake::DefaultClearDelayMs);
    };
    ASSERT_TRUE(WriteVia(*engine, Std, 12, {555}, 0));
    command(CommandSaveEeprom, 10);
    ASSERT_TRUE(WriteVia(*engine, Std, 12, {777}, 100));
    command(CommandReloadEeprom, 110);
    EXPECT_EQ(ReadOne(*engine, Std, 12, 200), 555);
    command(CommandLoadDefaults, 210);
    EXPECT_EQ(ReadOne(*engine, Std, 12, 300), 100);
    EXPECT_EQ(ReadOne(*engine, Std, 0, 301), 0x0401); // the model is the drive's own

    ASSERT_TRUE(WriteVia(*engine, Std, 12, {999}, 400));
    ASSERT_TRUE(WriteVia(*engine, Std, Command, {CommandLoadDefaults}, 400));
    ASSERT_TRUE(WriteVia(*engine, Std, Command, {0}, 405));
    EXPECT_EQ(ReadOne(*engine, Std, 12, 900), 999);

    engine->FindDevice(Std)->SetAlarms(0x5);
    ASSERT_TRUE(WriteVia(*engine, Std, 73, {1}, 1000)); // enable
    EXPECT_EQ(ReadOne(*engine, Std, 65, 1001).value_or(0) & 1, 1);
    command(CommandReset, 1010);
    EXPECT_EQ(ReadVia(*engine, Std, 51, 1, 1100), std::vector<std::uint16_t>{0});
    EXPECT_EQ(ReadOne(*engine, Std, 83, 1100), 5);
    EXPECT_EQ(ReadOne(*engine, Std, 12, 1100), 555);
    EXPECT_EQ(ReadOne(*engine, Std, 65, 1100).value_or(1) & 1, 0);
}

// The file image survives a restart and keeps the other units' values; junk lines in it are
// ignored and a failed write is reported through the status bit.
TEST(SimEeprom, FileImageSurvivesARestartIgnoresJunkAndReportsAFailedWrite) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("eeprom.txt"));
    SetupOptions options = Kind(SimKind::Link);
    options.eepromFile = path;
    {
        auto engine = MakeEngine(options);
        ASSERT_TRUE(WriteVia(*engine, 11, 10, {1111}, 0));
        ASSERT_TRUE(WriteVia(*engine, 12, 10, {2222}, 0));
        ASSERT_TRUE(WriteVia(*engine, 11, 202, {CommandSaveEeprom}, 1));
        ASSERT_TRUE(WriteVia(*engine, 12, 202, {CommandSaveEeprom}, 1));
        engine->Tick(100);
    }
    auto engine = MakeEngine(options);
    EXPECT_EQ(ReadOne(*engine, 11, 10, 0), 1111);
    EXPECT_EQ(ReadOne(*engine, 12, 10, 0), 2222);
    EXPECT_EQ(ReadOne(*engine, 13, 10, 0), 77); // never saved: configured default

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# comment\n1 12 4321\n1 12\nx y z\n1 70000 5\n1 0 9\n1 13 99999\n");
    file.close();
    options.kind = SimKind::Std;
    engine = MakeEngine(options);
    EXPECT_EQ(ReadOne(*engine, Std, 12, 0), 4321);
    EXPECT_EQ(ReadOne(*engine, Std, 13, 0), 50);    // out-of-range value ignored
    EXPECT_EQ(ReadOne(*engine, Std, 0, 0), 0x0401); // the model is not an EEPROM value
    options.eepromFile = QStringLiteral("/nonexistent-folder/kelmsim/eeprom.txt");
    engine = MakeEngine(options);
    ASSERT_TRUE(WriteVia(*engine, Std, Command, {CommandSaveEeprom}, 0));
    engine->Tick(100);
    EXPECT_EQ(ReadOne(*engine, Std, Command, 101), 0);
    EXPECT_EQ(ReadOne(*engine, Std, Status, 101).value_or(0) & 1, 1);
}

TEST(SimAlarms, ActiveAndHistoricWordsOfEachKind) {
    auto engine = MakeEngine(Kind(SimKind::Std));
    Device& device = *engine->FindDevice(Std);
    device.SetAlarms(0x00010003);
    EXPECT_EQ(ReadVia(*engine, Std, 51, 2, 0), (std::vector<std::uint16_t>{3, 1}));
    EXPECT_EQ(ReadVia(*engine, Std, 83, 2, 0), (std::vector<std::uint16_t>{3, 1}));
    device.SetAlarms(0x4);
    device.SetAlarms(0);
    EXPECT_EQ(ReadVia(*engine, Std, 51, 2, 1), (std::vector<std::uint16_t>{0, 0}));
    EXPECT_EQ(ReadVia(*engine, Std, 83, 2, 1), (std::vector<std::uint16_t>{7, 1}));
    // Only 0 clears a historic word.
    ASSERT_TRUE(WriteVia(*engine, Std, 83, {5}, 2));
    EXPECT_EQ(ReadOne(*engine, Std, 83, 3), 7);
    ASSERT_TRUE(WriteVia(*engine, Std, 83, {0, 0}, 4));
    EXPECT_EQ(ReadVia(*engine, Std, 83, 2, 5), (std::vector<std::uint16_t>{0, 0}));
    // The units of a link have words of their own.
    auto link = MakeEngine(Kind(SimKind::Link));
    link->FindDevice(10)->SetAlarms(0x20001);
    link->FindDevice(11)->SetAlarms(0x2);
    EXPECT_EQ(ReadVia(*link, 10, 83, 5, 0), (std::vector<std::uint16_t>{1, 2, 0, 1, 2}));
    EXPECT_EQ(ReadVia(*link, 11, 116, 5, 0), (std::vector<std::uint16_t>{2, 0, 0, 2, 0}));
}

TEST(SimScope, CountFactorsUnreachedLevelAndTheLinkUnits) {
    auto engine = MakeEngine(Kind(SimKind::Std));
    // Automatic, N = 50, channel 1 speed reference divided by 2 (factor 5), channel 2 x 10.
    ASSERT_TRUE(WriteVia(*engine, Std, 50001, {100, 50, 0, 3, 0, 2, 2, 0, 0, 0, 0, 5, 20}, 0));
    ASSERT_TRUE(WriteVia(*engine, Std, 50000, {1}, 0));
    EXPECT_EQ(ReadOne(*engine, Std, 50000, 100), 2);
    EXPECT_EQ(ReadOne(*engine, Std, 51000, 100), 1200);
    EXPECT_EQ(ReadOne(*engine, Std, 52000, 100), 60);
    EXPECT_EQ(ScopeRecorder::Raw(12.5, 1), 13); // +-1: unchanged
    // A level the speed never reaches leaves the recorder armed.
    ASSERT_TRUE(WriteVia(*engine, Std, 50004, {1, 30000}, 200));
    ASSERT_TRUE(WriteVia(*engine, Std, 50000, {1}, 200));
    EXPECT_EQ(ReadOne(*engine, Std, 50000, 20000), 1);
    // On a link: an automatic edge triggers at once; the Power unit has no recorder.
    engine = MakeEngine(Kind(SimKind::Link));
    ASSERT_TRUE(WriteVia(*engine, 11, 50004, {3}, 0));
    ASSERT_TRUE(WriteVia(*engine, 11, 50000, {1}, 0));
    EXPECT_EQ(ReadOne(*engine, 11, 50000, 499), 1);
    EXPECT_EQ(ReadOne(*engine, 11, 50000, 500), 2); // default window 500 ms
    EXPECT_EQ(engine->FindDevice(10)->Find<ScopeRecorder>(), nullptr);
}
