#include "SimTestSupport.h"

#include "sim/engine/behaviours/CommandHandshake.h"
#include "sim/engine/behaviours/DriveProcedures.h"
#include "sim/engine/behaviours/EepromImage.h"
#include "sim/engine/behaviours/LiveStatus.h"
#include "sim/engine/behaviours/ScopeRecorder.h"

#include <QFile>
#include <QTemporaryDir>

using namespace kelm::sim;
using namespace kelm::sim::test;

namespace {

constexpr std::uint8_t Std = 1;
constexpr std::uint16_t Command = 69;
constexpr std::uint16_t Status = 51;

} // namespace

// Command bits stay for the clear delay, then clear; with the status fault bit 0 of the
// status word is set once the command is done; writing 0 withdraws a pending command.
TEST(SimHandshake, BitsClearAfterTheDelayStatusFaultAndWithdrawal) {
    auto engine = MakeEngine(Kind(SimKind::Std));
    auto* handshake = engine->FindDevice(Std)->Find<CommandHandshake>();
    handshake->SetClearDelay(200);
    ASSERT_TRUE(WriteVia(*engine, Std, Command, {CommandSaveEeprom}, 1000));
    EXPECT_EQ(ReadOne(*engine, Std, Command, 1199), CommandSaveEeprom);
    EXPECT_EQ(ReadOne(*engine, Std, Command, 1200), 0);
    EXPECT_EQ(ReadOne(*engine, Std, Status, 1201), 0);
    handshake->SetStatusFault(true);
    ASSERT_TRUE(WriteVia(*engine, Std, Command, {CommandReloadEeprom}, 2000));
    EXPECT_EQ(ReadOne(*engine, Std, Status, 2001), 0); // not before the command is done
    engine->Tick(2200);
    EXPECT_EQ(ReadOne(*engine, Std, Command, 2201), 0);
    EXPECT_EQ(ReadOne(*engine, Std, Status, 2201).value_or(0) & 1, 1);
    ASSERT_TRUE(WriteVia(*engine, Std, 12, {999}, 3000));
    ASSERT_TRUE(WriteVia(*engine, Std, Command, {CommandLoadDefaults}, 3000));
    ASSERT_TRUE(WriteVia(*engine, Std, Command, {0}, 3005));
    EXPECT_EQ(ReadOne(*engine, Std, 12, 3500), 999);
}

TEST(SimEeprom, SaveReloadAndDefaults) {
    auto engine = MakeEngine(Kind(SimKind::Std));
    const auto command = [&](std::uint16_t bit, std::uint32_t at) {
        ASSERT_TRUE(WriteVia(*engine, Std, Command, {bit}, at));
        engine->Tick(at + CommandHandshake::DefaultClearDelayMs);
    };
    ASSERT_TRUE(WriteVia(*engine, Std, 12, {555}, 0));
    command(CommandSaveEeprom, 10);
    EXPECT_EQ(engine->FindDevice(Std)->Find<EepromImage>()->Image().at(12), 555);
    ASSERT_TRUE(WriteVia(*engine, Std, 12, {777}, 100));
    command(CommandReloadEeprom, 110);
    EXPECT_EQ(ReadOne(*engine, Std, 12, 200), 555);
    command(CommandLoadDefaults, 210);
    EXPECT_EQ(ReadOne(*engine, Std, 12, 300), 100);
    // Defaults do not touch the image, nor drive-owned registers such as the model.
    EXPECT_EQ(engine->FindDevice(Std)->Find<EepromImage>()->Image().at(12), 555);
    EXPECT_EQ(ReadOne(*engine, Std, 0, 301), 0x0401);
}

TEST(SimEeprom, FileImageSurvivesARestartAndKeepsOtherDevices) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("eeprom.txt"));
    SetupOptions options = Kind(SimKind::Link);
    options.eepromFile = file;
    {
        auto engine = MakeEngine(options);
        ASSERT_TRUE(WriteVia(*engine, 11, 10, {1111}, 0));
        ASSERT_TRUE(WriteVia(*engine, 12, 10, {2222}, 0));
        ASSERT_TRUE(WriteVia(*engine, 11, 202, {CommandSaveEeprom}, 1));
        ASSERT_TRUE(WriteVia(*engine, 12, 202, {CommandSaveEeprom}, 1));
        engine->Tick(100);
    }
    auto restarted = MakeEngine(options);
    EXPECT_EQ(ReadOne(*restarted, 11, 10, 0), 1111);
    EXPECT_EQ(ReadOne(*restarted, 12, 10, 0), 2222);
    EXPECT_EQ(ReadOne(*restarted, 13, 10, 0), 77); // never saved: configured default
}

TEST(SimEeprom, JunkLinesAreIgnoredAndAFailedWriteIsReported) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("eeprom.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# comment\n1 12 4321\n1 12\nx y z\n1 70000 5\n1 0 9\n1 13 99999\n");
    file.close();
    SetupOptions options = Kind(SimKind::Std);
    options.eepromFile = path;
    auto engine = MakeEngine(options);
    EXPECT_EQ(ReadOne(*engine, Std, 12, 0), 4321);
    EXPECT_EQ(ReadOne(*engine, Std, 13, 0), 50);    // out-of-range value ignored
    EXPECT_EQ(ReadOne(*engine, Std, 0, 0), 0x0401); // the model is not an EEPROM value
    // A failed file write reports through the status bit.
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
    ASSERT_TRUE(WriteVia(*engine, Std, 83, {0}, 4));
    ASSERT_TRUE(WriteVia(*engine, Std, 84, {0}, 4));
    EXPECT_EQ(ReadVia(*engine, Std, 83, 2, 5), (std::vector<std::uint16_t>{0, 0}));
    // The units of a link have words of their own.
    auto link = MakeEngine(Kind(SimKind::Link));
    link->FindDevice(10)->SetAlarms(0x20001);
    link->FindDevice(11)->SetAlarms(0x2);
    EXPECT_EQ(ReadVia(*link, 10, 83, 5, 0), (std::vector<std::uint16_t>{1, 2, 0, 1, 2}));
    EXPECT_EQ(ReadVia(*link, 11, 116, 5, 0), (std::vector<std::uint16_t>{2, 0, 0, 2, 0}));
}

TEST(SimReset, ClearsAlarmsAndRestartsFromTheEeprom) {
    auto engine = MakeEngine(Kind(SimKind::Std));
    engine->FindDevice(Std)->SetAlarms(0x5);
    ASSERT_TRUE(WriteVia(*engine, Std, 12, {4444}, 0));
    ASSERT_TRUE(WriteVia(*engine, Std, 73, {1}, 0)); // enable
    EXPECT_EQ(ReadOne(*engine, Std, 65, 1).value_or(0) & 1, 1);
    ASSERT_TRUE(WriteVia(*engine, Std, Command, {CommandReset}, 10));
    engine->Tick(100);
    EXPECT_EQ(ReadOne(*engine, Std, 51, 101), 0);
    EXPECT_EQ(ReadOne(*engine, Std, 83, 101), 5); // history survives
    EXPECT_EQ(ReadOne(*engine, Std, 12, 101), 100);
    EXPECT_EQ(ReadOne(*engine, Std, 65, 101).value_or(1) & 1, 0);
}

TEST(SimLive, EnabledDriveRampsUpMovesRampsDownAndFreezes) {
    auto engine = MakeEngine(Kind(SimKind::Std));
    EXPECT_EQ(ReadOne(*engine, Std, 59, 0), 0);
    ASSERT_TRUE(WriteVia(*engine, Std, 73, {1}, 0));
    EXPECT_EQ(ReadOne(*engine, Std, 73, 1), 0); // the request is consumed
    for (std::uint32_t t = 100; t <= 1000; t += 100) {
        engine->Tick(t);
    }
    const auto speed = static_cast<std::int16_t>(ReadOne(*engine, Std, 59, 1000).value_or(0));
    EXPECT_NEAR(speed, LiveStatus::RunningSpeedRpm, 5);
    const auto before = ReadVia(*engine, Std, 134, 2, 1000);
    engine->Tick(1100);
    EXPECT_NE(ReadVia(*engine, Std, 134, 2, 1200), before);
    EXPECT_GT(static_cast<std::int16_t>(ReadOne(*engine, Std, 58, 1200).value_or(0)), 0);
    ASSERT_TRUE(WriteVia(*engine, Std, 74, {1}, 1200));
    for (std::uint32_t t = 1300; t <= 2200; t += 100) {
        engine->Tick(t);
    }
    EXPECT_EQ(ReadOne(*engine, Std, 59, 2200), 0);
    EXPECT_EQ(ReadOne(*engine, Std, 65, 2200).value_or(1) & 1, 0);
    // Frozen, values stay as set.
    Device& device = *engine->FindDevice(Std);
    device.Find<LiveStatus>()->SetFrozen(true);
    device.Registers().Set(53, 123);
    engine->Tick(5000);
    EXPECT_EQ(ReadOne(*engine, Std, 53, 5000), 123);
}

TEST(SimScope, EdgeTriggerRecordsTheMotorAndStop) {
    auto engine = MakeEngine(Kind(SimKind::Std));
    // Window 200 ms, no delay, rising edge at 0 rpm, speed and current; 50000 written last.
    ASSERT_TRUE(WriteVia(*engine, Std, 50001, {200, 500, 0, 1, 0, 1, 3, 100, 1000}, 0));
    ASSERT_TRUE(WriteVia(*engine, Std, 50000, {1}, 0));
    EXPECT_EQ(ReadOne(*engine, Std, 50000, 150), 1); // the speed crosses 0 after a few ms
    EXPECT_EQ(ReadOne(*engine, Std, 50000, 250), 2);
    const auto settings = ReadVia(*engine, Std, 50000, 14, 251);
    ASSERT_TRUE(settings);
    EXPECT_EQ((*settings)[2], ScopeRecorder::SampleCount);
    EXPECT_EQ((*settings)[12], 2);
    // Sample memory, read past the frames (any register reads through them alike).
    const auto samples = [&](std::uint16_t first) {
        std::vector<int> out;
        for (const std::uint16_t raw :
             engine->FindDevice(Std)->Registers().GetBlock(first, ScopeRecorder::SampleCount))
            out.push_back(static_cast<std::int16_t>(raw));
        return out;
    };
    const std::vector<int> speed = samples(51000), current = samples(52000);
    EXPECT_GE(speed.front(), 0); // the trigger is the record's first sample
    EXPECT_LT(speed.front(), 100);
    const auto [low, high] = std::minmax_element(speed.begin(), speed.end());
    EXPECT_GT(*high, 650); // overshoot above the 600 rpm reference
    EXPECT_LT(*low, -650);
    const auto [iLow, iHigh] = std::minmax_element(current.begin(), current.end());
    EXPECT_LE(*iHigh, 100);
    EXPECT_GT(*iHigh, 50);
    EXPECT_LT(*iLow, -50);
    ASSERT_TRUE(WriteVia(*engine, Std, 50000, {1}, 400)); // re-arm, then stop
    ASSERT_TRUE(WriteVia(*engine, Std, 50000, {0}, 410));
    EXPECT_EQ(ReadOne(*engine, Std, 50000, 2000), 0);
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

TEST(SimLive, LinkRequestMasksInputBitsAndRunningTime) {
    auto engine = MakeEngine(Kind(SimKind::Link));
    constexpr std::uint8_t Drive = 11;
    ASSERT_TRUE(WriteVia(*engine, Drive, 200, {0x0005}, 0)); // enable + input row 2
    EXPECT_EQ(ReadOne(*engine, Drive, 200, 1), 0);
    EXPECT_EQ(ReadOne(*engine, Drive, 198, 1), 0x0005);
    // Ready output while enabled; forced inputs are no wires.
    EXPECT_EQ(ReadOne(*engine, Drive, 199, 1).value_or(0) & 0x7FFF, 0x4000);
    ASSERT_TRUE(WriteVia(*engine, Drive, 201, {0x0001}, 2));
    EXPECT_EQ(ReadOne(*engine, Drive, 198, 3), 0x0004);
    EXPECT_EQ(ReadOne(*engine, Drive, 201, 3), 0);
    // A wire shows in the hardware word and keeps its input on through a release.
    Device* device = engine->FindDevice(Drive);
    device->Find<LiveStatus>()->SetWires(*device, 0x0002);
    EXPECT_EQ(ReadOne(*engine, Drive, 198, 4), 0x0006);
    EXPECT_EQ(ReadOne(*engine, Drive, 199, 4).value_or(0) & 0x07FF, 0x0002);
    ASSERT_TRUE(WriteVia(*engine, Drive, 201, {0x0006}, 5));
    EXPECT_EQ(ReadOne(*engine, Drive, 198, 6), 0x0002);
    // Running time in seconds, counted from the start value: the Power unit's and a Drive's.
    const auto start = ReadVia(*engine, 10, 26, 2, 0);
    ASSERT_TRUE(start);
    EXPECT_EQ((*start)[0] * 65536U + (*start)[1], LiveStatus::InitialRunningSeconds);
    const auto later = ReadVia(*engine, Drive, 121, 2, 3000);
    ASSERT_TRUE(later);
    EXPECT_EQ((*later)[0] * 65536U + (*later)[1], LiveStatus::InitialRunningSeconds + 3);
}

// Phasing on the plain drive: enabled by the master's request, the bit stays for the delay
// while other commands of the same register are carried out, then the phase value, the
// bit cleared and the drive disabled; the offsets write their registers.
TEST(SimProcedures, PhasingAndOffsetsFinishAfterTheDelay) {
    auto engine = MakeEngine(Kind(SimKind::Std));
    engine->FindDevice(Std)->Find<DriveProcedures>()->SetDelay(200);
    ASSERT_TRUE(WriteVia(*engine, Std, Command, {0x10}, 0));
    ASSERT_TRUE(WriteVia(*engine, Std, 73, {1}, 0));
    ASSERT_TRUE(WriteVia(*engine, Std, Command, {0x10 | CommandSaveEeprom}, 10));
    EXPECT_EQ(ReadOne(*engine, Std, Command, 100), 0x10);
    EXPECT_EQ(ReadOne(*engine, Std, 65, 100).value_or(0) & 1, 1);
    EXPECT_EQ(ReadOne(*engine, Std, Command, 200), 0);
    EXPECT_EQ(ReadOne(*engine, Std, 65, 200).value_or(1) & 1, 0); // phase value: kelmctl's test

    ASSERT_TRUE(WriteVia(*engine, Std, Command, {CommandSpeedOffset | CommandTorqueOffset}, 300));
    EXPECT_EQ(ReadOne(*engine, Std, Command, 499), CommandSpeedOffset | CommandTorqueOffset);
    EXPECT_EQ(ReadOne(*engine, Std, Command, 500), 0);
    EXPECT_EQ(ReadOne(*engine, Std, 29, 500), 100);
    EXPECT_EQ(ReadOne(*engine, Std, 30, 500), 0xFFDF); // -33
}
