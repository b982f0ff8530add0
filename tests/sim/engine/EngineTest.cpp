#include "SimTestSupport.h"

#include "sim/engine/ControlCommands.h"
#include "sim/engine/Crc16.h"
#include "sim/engine/behaviours/CommandHandshake.h"
#include "sim/engine/behaviours/LiveStatus.h"
#include "sim/engine/behaviours/ScopeRecorder.h"

#include <QFile>
#include <QTemporaryDir>

using namespace kelm::sim;
using namespace kelm::sim::test;
using Bytes = std::vector<std::uint8_t>;

constexpr FrameVariant Plain = FrameVariant::Plain;
constexpr FrameVariant Link = FrameVariant::Link;

static bool Control(Engine& engine, const char* line) {
    return ApplyControlCommand(engine, QString::fromLatin1(line), 0).ok;
}

static Bytes WithCrc(Bytes frame) {
    AppendCrc(frame);
    return frame;
}

// A plain slave answers what it refuses with an exception; a link unit keeps silent about
// counts whose reply byte count would not fit its byte (128 registers would claim 0 bytes);
// bytes that make no frame are skipped one at a time.
TEST(SimFrames, RefusedAndBrokenFrames) {
    Bytes badCrc = EncodeReadRequest(Plain, 1, 0, 1);
    badCrc[7] ^= 0xFF;
    Bytes stray{0xAA}; // an unknown function in front of a good frame
    const Bytes good = EncodeReadRequest(Plain, 1, 0, 1);
    stray.insert(stray.end(), good.begin(), good.end());
    const std::vector<std::uint16_t> tooMany(MaxWriteCount + 1, 7);
    const struct {
        const char* Name;
        FrameVariant Variant;
        Bytes Frame;
        DecodeStatus Status;
        std::size_t Consumed;
        std::uint8_t Exception = 0;
    } cases[] = {
        {"count 0", Plain, WithCrc({1, 0x03, 0, 0, 0, 0}), DecodeStatus::Exception, 8,
         ExceptionIllegalValue},
        {"count 126", Plain, WithCrc({1, 0x03, 0, 0, 0, 126}), DecodeStatus::Exception, 8,
         ExceptionIllegalValue},
        {"byte count 2 for 2 registers", Plain, WithCrc({1, 0x10, 0, 0, 0, 2, 2, 0, 1}),
         DecodeStatus::Exception, 11, ExceptionIllegalValue},
        {"function 6", Plain, WithCrc({1, 0x06, 0, 1, 0, 3}), DecodeStatus::Exception, 8,
         ExceptionIllegalFunction},
        {"bad crc", Plain, badCrc, DecodeStatus::Garbage, 1},
        {"stray byte", Plain, stray, DecodeStatus::Garbage, 1},
        {"link count 0", Link, WithCrc({0xFF, 1, 0x03, 0, 0, 0}), DecodeStatus::Ignored, 8},
        {"link count 128", Link, EncodeReadRequest(Link, 1, 0, 128), DecodeStatus::Ignored, 8},
        {"link write too long", Link, EncodeWriteRequest(Link, 1, 0, tooMany),
         DecodeStatus::Ignored, 2U * (MaxWriteCount + 1) + 8},
        {"plain frame on a link", Link, good, DecodeStatus::Garbage, 1},
        {"no link marker", Link, Bytes{0x01, 0xFF}, DecodeStatus::Garbage, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const DecodeResult result = DecodeRequest(c.Variant, c.Frame.data(), c.Frame.size());
        EXPECT_EQ(result.status, c.Status);
        EXPECT_EQ(result.consumed, c.Consumed);
        if (c.Status == DecodeStatus::Exception) {
            EXPECT_EQ(result.exceptionCode, c.Exception);
        }
    }
}

// Only requests to its address are answered; broadcast writes are neither acted on nor
// answered; registers outside the configuration read 0 and keep what is written.
TEST(SimEngine, AnswersItsAddressAndFindsFramesInTheByteStream) {
    auto engine = MakeEngine(Kind(SimKind::Std));
    EXPECT_TRUE(Exchange(*engine, EncodeReadRequest(Plain, 2, 12, 1), 0).empty());
    EXPECT_TRUE(Exchange(*engine, EncodeWriteRequest(Plain, 0, 12, {5}), 0).empty());
    EXPECT_EQ(ReadOne(*engine, 1, 12, 0), 100); // configured default
    EXPECT_TRUE(WriteVia(*engine, 1, 40010, {7, 8}, 0));
    EXPECT_EQ(ReadVia(*engine, 1, 40009, 4, 0), (std::vector<std::uint16_t>{0, 7, 8, 0}));
    const Bytes one = EncodeReadRequest(Plain, 1, 12, 1);
    // Split over two feeds.
    EXPECT_TRUE(engine->Feed(one.data(), 3, 0).empty());
    EXPECT_EQ(engine->Feed(one.data() + 3, one.size() - 3, 5).size(), 1U);
    // Two requests in one feed, noise in front.
    Bytes two{0x00, 0x37};
    two.insert(two.end(), one.begin(), one.end());
    two.insert(two.end(), one.begin(), one.end());
    EXPECT_EQ(engine->Feed(two.data(), two.size(), 10).size(), 2U);
    // A pause longer than the frame gap drops the partial frame; the next frame is fine.
    EXPECT_TRUE(engine->Feed(one.data(), 4, 100).empty());
    EXPECT_TRUE(engine->Feed(one.data() + 4, 4, 100 + Engine::FrameGapMs + 1).empty());
    EXPECT_EQ(engine->Feed(one.data(), one.size(), 300).size(), 1U);
}

TEST(SimEngineFaults, CorruptedRepliesHaveTheAdvertisedDefect) {
    const Bytes read = EncodeReadRequest(Plain, 1, 12, 2); // a clean reply has 9 bytes
    const Bytes write = EncodeWriteRequest(Plain, 1, 12, {4});
    const Bytes linkRead = EncodeReadRequest(FrameVariant::Link, 10, 78, 3);
    const Bytes linkWrite = EncodeWriteRequest(FrameVariant::Link, 10, 7, {3});
    const struct {
        const char* Command;
        SimKind Kind;
        Bytes Request;
        std::size_t Size;
        std::size_t CrcOver; // the bytes the CRC holds for; 0: it holds for none
        int At;              // a byte to check, and its value
        int Value;
    } cases[] = {
        {"badcrc on", SimKind::Std, read, 9, 0, -1, 0},
        {"wrongaddr on", SimKind::Std, read, 9, 9, 0, 2},
        {"wrongcount on", SimKind::Std, read, 9, 9, 2, 6}, // 2n + 2
        {"wrongcount on", SimKind::Std, write, 8, 8, 5, 2},
        {"wrongcount on", SimKind::Link, linkRead, 14, 14, 5, 8},
        {"wrongcount on", SimKind::Link, linkWrite, 8, 8, 5, 0}, // any other count is taken
        {"truncate on", SimKind::Std, read, 8, 0, -1, 0},
        {"  trailing   on ", SimKind::Std, read, 11, 9, -1, 0},
        {"wrongfunc on", SimKind::Std, read, 9, 9, 1, 4},
        {"exception 4", SimKind::Std, write, 5, 5, 1, 0x90}, // answered before the write acts
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Command);
        auto engine = MakeEngine(Kind(c.Kind));
        ASSERT_TRUE(Control(*engine, c.Command));
        const Bytes reply = Exchange(*engine, c.Request, 0);
        ASSERT_EQ(reply.size(), c.Size);
        EXPECT_EQ(CrcMatches(reply.data(), c.CrcOver > 0 ? c.CrcOver : reply.size()),
                  c.CrcOver > 0);
        if (c.At >= 0) {
            EXPECT_EQ(reply[std::size_t(c.At)], c.Value);
        }
        if (c.Kind == SimKind::Std) { // a write acts unless the fault answers in its place
            EXPECT_EQ(engine->FindDevice(1)->Registers().Get(12) == 4,
                      c.Request == write && c.Size == 8);
        }
    }
}

// Lost replies (the request still acts), late replies, a silent device that neither answers
// nor acts; "faults off" ends them all.
TEST(SimEngineFaults, DropDelaySilenceAndFaultsOff) {
    auto engine = MakeEngine(Kind(SimKind::Std));
    ASSERT_TRUE(Control(*engine, "drop 3"));
    EXPECT_TRUE(WriteVia(*engine, 1, 12, {1}, 0));
    EXPECT_TRUE(WriteVia(*engine, 1, 12, {2}, 1));
    EXPECT_FALSE(WriteVia(*engine, 1, 12, {3}, 2));
    ASSERT_TRUE(Control(*engine, "delay 250"));
    const Bytes read = EncodeReadRequest(Plain, 1, 12, 1);
    std::vector<Reply> replies = engine->Feed(read.data(), read.size(), 3);
    ASSERT_EQ(replies.size(), 1U);
    EXPECT_EQ(replies[0].delayMs, 250U);
    for (const char* line :
         {"silent 1 on", "badcrc on", "wrongaddr on", "truncate on", "wrongfunc on", "exception 4"})
        ASSERT_TRUE(Control(*engine, line));
    EXPECT_FALSE(WriteVia(*engine, 1, 12, {5}, 4));
    ASSERT_TRUE(Control(*engine, "faults off"));
    for (std::uint32_t now = 5; now < 8; ++now) {
        replies = engine->Feed(read.data(), read.size(), now);
        ASSERT_EQ(replies.size(), 1U) << now;
        EXPECT_EQ(replies[0].delayMs, 0U);
        EXPECT_EQ(replies[0].bytes, EncodeReadReply(Plain, 1, 12, {3}));
    }
}

// Device commands aimed at one unit or all; their effects on alarms, the command handshake
// and silence after some writes are met through kelmsim by kelmctl's tests.
TEST(SimControl, DeviceCommandsAndRefusals) {
    auto engine = MakeEngine(Kind(SimKind::Link));
    EXPECT_TRUE(Control(*engine, "set 11 0x10 -2"));
    EXPECT_EQ(engine->FindDevice(11)->Registers().Get(16), 0xFFFE);
    EXPECT_TRUE(Control(*engine, "silent 12 on") && Control(*engine, "cmddelay * 500") &&
                Control(*engine, "live 11 off"));
    EXPECT_TRUE(engine->FindDevice(12)->Silent() && !engine->FindDevice(11)->Silent());
    EXPECT_EQ(std::pair(engine->FindDevice(10)->Find<CommandHandshake>()->ClearDelay(),
                        engine->FindDevice(13)->Find<CommandHandshake>()->ClearDelay()),
              std::pair(500U, 500U));
    EXPECT_TRUE(engine->FindDevice(11)->Find<LiveStatus>()->Frozen());
    EXPECT_TRUE(Control(*engine, "live 11 on"));
    EXPECT_FALSE(engine->FindDevice(11)->Find<LiveStatus>()->Frozen());
    EXPECT_TRUE(Control(*engine, "load * 30")); // the Power unit has no motor
    EXPECT_EQ(engine->FindDevice(13)->Find<Motor>()->LoadPercent(), 30.0);

    // Bad commands are refused without effect.
    const std::uint16_t before = engine->FindDevice(11)->Registers().Get(12);
    for (const char* line :
         {"", "fly", "set 11 12", "set 2 12 5", "set 11 70000 5", "set 11 12 70000",
          "silent 11 maybe", "drop -1", "drop x", "badcrc", "alarm 11 0x1FFFFFFFF", "quit now",
          "set 0 12 1", "exception 256", "hangup now", "load 10 5", "load 11 -1", "load 11 1001"}) {
        const ControlResult result = ApplyControlCommand(*engine, QString::fromLatin1(line), 0);
        EXPECT_FALSE(result.ok) << line;
        EXPECT_FALSE(result.quit) << line;
        EXPECT_FALSE(result.message.isEmpty()) << line;
    }
    EXPECT_EQ(engine->FindDevice(11)->Registers().Get(12), before);
    EXPECT_EQ(engine->LineFaults().dropEvery, 0U);
    EXPECT_TRUE(ApplyControlCommand(*engine, QStringLiteral("hangup"), 0).hangup);
    const ControlResult quit = ApplyControlCommand(*engine, QStringLiteral("quit"), 0);
    EXPECT_TRUE(quit.ok && quit.quit);
}

TEST(SimSetup, PlainDriveAtItsAddressWithItsModel) {
    SetupOptions options = Kind(SimKind::Std);
    options.address = 17;
    options.model = 0x0203;
    auto engine = MakeEngine(options);
    ASSERT_EQ(engine->Devices().size(), 1U);
    EXPECT_EQ(engine->Variant(), FrameVariant::Plain);
    // Model, firmware (configured default), address.
    EXPECT_EQ(ReadVia(*engine, 17, 0, 3, 0), (std::vector<std::uint16_t>{0x0203, 0x0203, 17}));
    EXPECT_FALSE(ReadOne(*engine, 1, 0, 0));
    // Without a model: the configured default, else the kind's usual code.
    EXPECT_EQ(ReadOne(*MakeEngine(Kind(SimKind::Std)), 1, 0, 0), 0x0401);   // fixture: 0
    EXPECT_EQ(ReadOne(*MakeEngine(Kind(SimKind::Link)), 11, 0, 0), 0x05CA); // fixture default
}

// The unit count can be chosen and must fit the addresses; a Power table without the base
// address register cannot make a link (a missing folder is kelmsim's refused start).
TEST(SimSetup, LinkHasPowerAtTheBaseAndAsManyDriveUnitsAsFit) {
    auto engine = MakeEngine(Kind(SimKind::Link));
    EXPECT_EQ(engine->Variant(), FrameVariant::Link);
    ASSERT_EQ(engine->Devices().size(), 4U);
    EXPECT_EQ(engine->FindDevice(10)->Kind(), kelm::DeviceKind::Power);
    for (std::uint8_t address = 11; address <= 13; ++address)
        EXPECT_TRUE(engine->FindDevice(address) &&
                    engine->FindDevice(address)->Kind() == kelm::DeviceKind::Drive &&
                    ReadOne(*engine, address, 103, 0) == 600);
    EXPECT_TRUE(engine->FindDevice(9) == nullptr && engine->FindDevice(14) == nullptr);
    EXPECT_EQ(ReadOne(*engine, 10, 6, 0), 3);
    SetupOptions options = Kind(SimKind::Link);
    options.units = 1;
    engine = MakeEngine(options);
    EXPECT_EQ(engine->Devices().size(), 2U);
    EXPECT_EQ(ReadOne(*engine, 10, 6, 0), 1);
    EXPECT_FALSE(ReadOne(*engine, 12, 6, 0));
    options.units = 0;
    EXPECT_EQ(MakeEngine(options)->Devices().size(), 1U);

    QString error, noBase;
    options.units = 246; // 10 + 246 > 255
    EXPECT_EQ(BuildEngine(options, FixtureTables(SimKind::Link), 0, error), nullptr);
    EXPECT_EQ(BuildEngine(Kind(SimKind::Link), KindTables{}, 0, noBase), nullptr);
    EXPECT_FALSE(error.isEmpty() || noBase.isEmpty());
}

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
