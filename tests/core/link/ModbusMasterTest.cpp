#include "FakeSerialChannel.h"

#include "core/common/Ticks.h"
#include "core/link/ModbusMaster.h"
#include "core/seams/RecordingMessages.h"
#include "sim/engine/SimTestSupport.h"

#include <gtest/gtest.h>

#include <array>

using namespace kelm;
using kelm::test::Delivery;
using kelm::test::FakeSerialChannel;
using kelm::test::WithCrc;
using Bytes = std::vector<std::uint8_t>;

namespace {

class MasterTest : public ::testing::Test {
protected:
    MasterTest() {
        auto channel = std::make_unique<FakeSerialChannel>();
        fake = channel.get();
        master = std::make_unique<ModbusMaster>(std::move(channel), [](std::uint8_t com) {
            return QStringLiteral("/dev/fake%1").arg(com);
        });
    }

    // The simulator engine answers on the fake line: a plain drive at 1, or link unit 11.
    void OpenWithDevice(bool linkMode = false) {
        master->ClosePort();
        ASSERT_TRUE(master->OpenPort(3, 19200, linkMode, 2));
        engine = sim::test::MakeEngine(
            sim::test::Kind(linkMode ? sim::SimKind::Link : sim::SimKind::Std));
        master->SelectUnit(linkMode ? 11 : 1);
        fake->Reply = [this](std::span<const std::uint8_t> req) { return Answer(req); };
        fake->Requests.clear();
        master->ResetCounters();
    }
    Delivery Answer(std::span<const std::uint8_t> req) {
        return {sim::test::Exchange(*engine, {req.begin(), req.end()}, TickCount())};
    }
    void SetRegister(std::uint16_t address, std::uint16_t value) {
        engine->FindDevice(master->UnitAddress())->Registers().Set(address, value);
    }

    // What `step` did on the port.
    QStringList LogOf(const std::function<void()>& step) {
        fake->Log.clear();
        step();
        return fake->Log;
    }

    using Counters = std::array<std::uint32_t, 3>; // requests, replies, failures
    Counters Counts() const {
        const ModbusMaster::Counts counts = master->Counters();
        return {counts.Requests, counts.Replies, counts.Failures};
    }

    RecordingMessages messages;
    std::unique_ptr<sim::Engine> engine;
    FakeSerialChannel* fake = nullptr;
    std::unique_ptr<ModbusMaster> master;
};

} // namespace

// Space (4) and unknown codes open as no parity.
TEST(MasterSettings, SettingsStringPerParityCode) {
    for (std::uint8_t code = 0; code < 8; ++code)
        EXPECT_EQ(ModbusMaster::BuildSettingsString(256000, code),
                  QStringLiteral("baud=256000 data=8 parity=%1 stop=1").arg("NOEMNNNN"[code]));
}

TEST_F(MasterTest, OpenFailuresRestoreOnlyWhatChanged) {
    fake->Refuse = "open";
    EXPECT_FALSE(master->OpenPort(2, 19200, false, 2));
    EXPECT_EQ(master->OpenError(), "COM2 (/dev/fake2): permission denied");
    const QStringList opened = {"open /dev/fake2", "line 19200 2"};
    const auto refused = [&](const char* step) {
        fake->Refuse = step;
        return LogOf([&] { EXPECT_FALSE(master->OpenPort(2, 19200, false, 2)); });
    };
    EXPECT_EQ(refused("line"), opened + QStringList{"close"});
    EXPECT_EQ(refused("timeouts"), opened + QStringList({"timeouts 10", "restore line", "close"}));
    // Nothing is open or left to restore later.
    EXPECT_FALSE(master->IsPortOpen() || master->HasSettingsToRestore());
    EXPECT_TRUE(messages.Boxes().empty());

    ModbusMaster bare(std::make_unique<FakeSerialChannel>(),
                      [](std::uint8_t) { return QString(); });
    EXPECT_FALSE(bare.OpenPort(99, 19200, false, 2));
    EXPECT_TRUE(bare.OpenError().startsWith("COM99: no device"));
}

// Another open or a reopen first restores and closes.
TEST_F(MasterTest, OpenConfiguresAndAReopenFirstRestoresAndCloses) {
    EXPECT_TRUE(LogOf([&] { master->ClosePort(); }).isEmpty()); // a closed port: nothing
    ASSERT_TRUE(master->OpenPort(1, 9600, false, 7));
    EXPECT_TRUE(master->IsPortOpen() && master->GetPort() == 1 && !master->IsLinkMode());
    EXPECT_EQ(master->SettingsString(), "baud=9600 data=8 parity=N stop=1");
    EXPECT_EQ(fake->Log, QStringList({"open /dev/fake1", "line 9600 0", "timeouts 10", "purge"}));
    EXPECT_FALSE(master->IsLinkReady()); // open but no drive selected
    master->SelectUnit(1);
    EXPECT_TRUE(master->IsLinkReady());
    const QStringList cycle = {"purge",           "restore line", "restore timeouts", "close",
                               "open /dev/fake5", "line 57600 0", "timeouts 10",      "purge"};
    // Space opens as none.
    EXPECT_EQ(LogOf([&] { EXPECT_TRUE(master->OpenPort(5, 57600, true, 4)); }), cycle);
    EXPECT_EQ(LogOf([&] { master->ReopenPort(); }), cycle);
    EXPECT_TRUE(master->IsPortOpen() && master->IsLinkMode() && master->GetPort() == 5 &&
                master->CurrentSettings().BaudRate == 57600u);
    master->ClosePort();
    EXPECT_FALSE(master->IsLinkReady());
    EXPECT_TRUE(messages.Boxes().empty());
}

// Which bytes each frame holds is RegisterFramesTest's; here the master picks the variant
// (the engine of the other variant would not answer), cuts every transfer at forty registers
// so the frame buffer never overflows, and purges bytes left over from a reply before the
// next request.
TEST_F(MasterTest, ReadAndWriteInBothVariantsAtMostFortyRegisters) {
    for (const bool link : {false, true}) {
        SCOPED_TRACE(link);
        OpenWithDevice(link);
        for (std::uint16_t i = 0; i < 45; ++i)
            SetRegister(static_cast<std::uint16_t>(0x100 + i), static_cast<std::uint16_t>(i + 1));
        SetRegister(0x0101, 0xFFFF);
        fake->Reply = [this](std::span<const std::uint8_t> req) {
            Delivery d = Answer(req);
            d.Bytes.insert(d.Bytes.end(), {0xEE, 0xEE, 0xEE}); // trailing noise
            return d;
        };
        fake->Log.clear();
        std::array<std::uint16_t, 45> values{};
        values.fill(0xDEAD);
        ASSERT_TRUE(master->ReadRegisters(0x100, values.data(), 45, 100, true));
        for (int i = 0; i < 45; ++i)
            EXPECT_EQ(values[i], i == 1 ? 0xFFFF : i < 40 ? i + 1 : 0xDEAD) << i;
        ASSERT_TRUE(master->WriteRegisters(0x100, values.data(), 45, 200, true));
        ASSERT_TRUE(master->WriteRegistersOnce(0x100, values.data(), 45, 100));
        for (const auto& request : fake->Requests)
            EXPECT_EQ(request[5], 40); // the count, in both variants
        // The full write's size, and one purge before each request.
        EXPECT_EQ(std::tuple(fake->Requests[2].size(), Counts(), fake->Log),
                  std::tuple(link ? 88u : 89u, Counters{3, 3, 0}, QStringList(3, "purge")));
    }
}

TEST_F(MasterTest, CountZeroAndClosedPortSendNothing) {
    std::uint16_t value = 0xAAAA;
    EXPECT_FALSE(master->ReadRegisters(0, &value, 1, 100, true) ||
                 master->WriteRegisters(0, &value, 1, 100, true) ||
                 master->ReadRegistersOnce(0, &value, 1, 100) ||
                 master->WriteRegistersOnce(0, &value, 1, 100));
    EXPECT_TRUE(messages.Boxes().empty() && messages.BeepCount() == 0);
    OpenWithDevice();
    EXPECT_TRUE(master->ReadRegisters(0, &value, 0, 100, true) &&
                master->WriteRegisters(0, &value, 0, 100, true));
    EXPECT_TRUE(fake->Requests.empty() && value == 0xAAAA);
    EXPECT_EQ(Counts(), (Counters{0, 0, 0}));
}

// A wrong reply fails the attempt and is retried; only a wrong byte count is reported, on
// every attempt. (Which replies are wrong is RegisterFramesTest's; here one of each variant
// plus the two the frame check never sees.)
TEST_F(MasterTest, InvalidRepliesAreRetried) {
    const struct {
        const char* Name;
        bool Link;
        Bytes Reply;
        bool Reported = false;
    } cases[] = {
        {"other device", false, WithCrc({2, 3, 2, 0, 5})},
        {"short reply", false, Bytes{1, 3, 2, 0}},
        {"byte count", false, WithCrc({1, 3, 4, 0, 5}), true},
        {"link: wrong address echo", true, WithCrc({11, 0xFF, 3, 0, 0x11, 2, 0, 5})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        OpenWithDevice(c.Link);
        SetRegister(0x10, 0x4321);
        messages.Clear();
        int answered = 0;
        fake->Reply = [&](std::span<const std::uint8_t> req) {
            // Wrong twice, right the third time.
            return ++answered < 3 ? Delivery{c.Reply} : Answer(req);
        };
        std::uint16_t value = 0xAAAA;
        EXPECT_TRUE(master->ReadRegisters(0x10, &value, 1, 100, true));
        EXPECT_EQ(std::tuple(Counts(), fake->Requests.size(), value),
                  std::tuple(Counters{3, 1, 2}, 3u, 0x4321));
        EXPECT_EQ(messages.Texts(),
                  c.Reported ? QStringList(2, "[05] Numero di byte") : QStringList());
        for (const auto& box : messages.Boxes())
            EXPECT_TRUE(box.Caption == " Error" && box.Icon == MessageIcon::Error);
    }
}

// A broken reply fails at once, so the time between tries is the pause alone. Without a
// report the master gives up and the port stays open.
TEST_F(MasterTest, PauseFollowsEveryFailedAttempt) {
    OpenWithDevice();
    fake->Reply = [](std::span<const std::uint8_t>) { return Delivery{Bytes(7, 0x55)}; };
    std::uint16_t value = 0;
    const std::uint32_t start = TickCount();
    EXPECT_FALSE(master->ReadRegisters(0, &value, 1, 100, false));
    const std::uint32_t took = TickCount() - start;
    ASSERT_EQ(fake->RequestTicks.size(), 3u);
    EXPECT_GT(fake->RequestTicks[1] - fake->RequestTicks[0], 100u);
    EXPECT_GT(fake->RequestTicks[2] - fake->RequestTicks[1], 100u);
    // The third failure is followed by a pause as well.
    EXPECT_TRUE(took >= 300u && took < 2000u) << took;
    EXPECT_TRUE(master->IsPortOpen() && Counts() == (Counters{3, 0, 3}));
    EXPECT_TRUE(messages.Boxes().empty() && messages.BeepCount() == 0);
}

// An unplugged adapter is said at once, without the retries a silent drive gets.
TEST_F(MasterTest, UnpluggedPortIsSaidAfterOneTry) {
    OpenWithDevice();
    fake->Unplugged = true;
    const std::uint16_t out = 1;
    EXPECT_FALSE(master->WriteRegisters(0, &out, 1, 100, true));
    // No retry, so no pause after it either.
    EXPECT_EQ(std::tuple(fake->Requests.size(), master->IsPortOpen()), std::tuple(1u, false));
    EXPECT_EQ(messages.Texts(), QStringList{"/dev/fake3: the port was removed"});
}

TEST_F(MasterTest, ReportedFailureClosesPortAndShowsBoxWithProgressDisabled) {
    OpenWithDevice();
    fake->Reply = {};
    QStringList order;
    master->SetProgressDialogHook([&](bool enabled) {
        order << QStringLiteral("progress %1 boxes %2").arg(enabled).arg(messages.Boxes().size());
    });
    const std::uint16_t out = 1;
    EXPECT_FALSE(master->WriteRegisters(0, &out, 1, 100, true));
    EXPECT_TRUE(!master->IsPortOpen() && fake->Log.contains("restore line"));
    EXPECT_EQ(messages.Texts(), QStringList{"Device not Respondig"});
    EXPECT_TRUE(messages.Boxes().at(0).Caption == " Error" &&
                messages.Boxes().at(0).Icon == MessageIcon::Error && messages.BeepCount() == 1);
    EXPECT_EQ(order, QStringList({"progress 0 boxes 0", "progress 1 boxes 1"}));
}

// Timeout 100 lets the first byte take up to 150 ms and gaps up to 70 ms; a network's
// allowance of 200 ms adds to the first byte's window and 100 ms to each gap; a read error
// stops at once.
TEST_F(MasterTest, ReceiveReplyDeadlines) {
    OpenWithDevice();
    const Bytes seven = {1, 2, 3, 4, 5, 6, 7};
    const struct {
        Delivery Reply;
        std::uint32_t Timeout;
        bool Ok;
        std::uint32_t MinMs = 0, MaxMs = 2000;
        const char* Refuse = "";
        std::uint32_t AllowanceMs = 0;
    } cases[] = {{{seven, 60, 0}, 100, true},
                 {{seven, 0, 30}, 100, true},
                 {{seven, 0, 400}, 100, false},
                 {{}, 100, false, 145, 1000},
                 {{seven, 350, 0}, 600, true},
                 {{seven, 0, 0}, 600, false, 0, 100, "read"},
                 {{seven, 300, 0}, 100, true, 250, 2000, "", 200},
                 {{seven, 0, 140}, 100, true, 0, 2000, "", 200},
                 {{}, 100, false, 345, 2000, "", 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Reply.FirstDelayMs << "/" << c.Reply.GapMs);
        fake->Purge();
        fake->Queue(c.Reply);
        fake->Refuse = c.Refuse;
        const std::uint32_t start = TickCount();
        EXPECT_EQ(master->ReceiveReply(7, c.Timeout, c.AllowanceMs), c.Ok);
        EXPECT_TRUE(!c.Ok || Bytes(master->Frame().begin(), master->Frame().begin() + 7) == seven);
        const std::uint32_t took = TickCount() - start;
        EXPECT_TRUE(took >= c.MinMs && took < c.MaxMs) << took;
    }
}
