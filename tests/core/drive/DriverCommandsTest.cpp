#include "DriveTestSupport.h"
#include "core/drive/WriteJournal.h"

#include <QTemporaryDir>
#include <QTimer>

namespace kelm::test {
namespace {

using CommandTest = DriveFixture;

std::vector<ParamEntry> StdCommandTable() {
    return {MakeEntry(1, 'A', 1), MakeEntry(51, 'N'),    MakeEntry(52, 'N'),
            MakeEntry(69, 'N'),   MakeEntry(83, 'N', 5), MakeEntry(84, 'N', 6)};
}

TEST_F(CommandTest, WriteChangedParamsSendsOnlyChangedEntriesAndStopsAtAFailure) {
    UseTable(DeviceKind::Std, {MakeEntry(1, 'A', 3), MakeEntry(2, 'A', 4), MakeEntry(3, 'N', 5)});
    EXPECT_TRUE(driver->WriteChangedParams() && drive->Requests().empty());
    EXPECT_EQ(driver->Mode(), WorkerMode::StatusPoll);
    Param(2).Value = -2;
    EXPECT_TRUE(driver->WriteChangedParams());
    EXPECT_EQ(std::tuple(Written(), Param(2).DriveValue), std::tuple(Pairs{{2, 0xFFFE}}, -2));

    drive->ClearRequests();
    UseTable(DeviceKind::Std, {MakeEntry(2, 'A', 3), MakeEntry(3, 'A', 4), MakeEntry(4, 'A', 5)});
    for (ParamEntry& e : driver->ActiveTable())
        e.Value = 9;
    drive->Silent = {3};
    EXPECT_FALSE(driver->WriteChangedParams() || driver->Online());
    EXPECT_EQ(Written().back(), std::pair(3, 9)); // nothing after the failing one
    EXPECT_EQ(std::tuple(Param(2).DriveValue, Param(4).DriveValue), std::tuple(9, 5));
}

// The sample factor (50013) is the drive's: never sent.
TEST_F(CommandTest, ScopeSettingsWriteTheControlRegisterLastProfilesOnlyChanges) {
    UseTable(DeviceKind::Std, {});
    for (const auto& [address, value] : Pairs{{50000, 1}, {50003, 7}, {50009, 8}, {50013, 8}})
        driver->ScopeSettingsTable().FindByAddress(address)->Value = value;
    EXPECT_TRUE(driver->WriteChangedScopeSettings());
    EXPECT_EQ(Written(), (Pairs{{50003, 7}, {50009, 8}, {50000, 1}}));
    drive->ClearRequests();
    driver->ProfileTable().FindByAddress(300)->Value = 12;
    EXPECT_TRUE(driver->WriteChangedProfiles());
    EXPECT_EQ(Written(), (Pairs{{300, 12}}));
}

// Transfers asked on the user-interface thread run on a thread of their own: its timers go on
// (here one reads while a slow write is on its way; it waits its turn), a failure is
// reported on it and a channel's exception reaches the caller.
TEST_F(CommandTest, TransfersLeaveTheCallingThreadFree) {
    UseRange(DeviceKind::Std, 1, 3);
    driver->WaitIdle();
    std::set<QThread*> lineThreads;
    std::mutex lineMutex;
    drive->OnWrite = [&](std::uint16_t) {
        const std::lock_guard lock(lineMutex);
        lineThreads.insert(QThread::currentThread());
    };
    static_cast<FakeSerialChannel&>(master->Channel()).Reply =
        [this](std::span<const std::uint8_t> request) {
            Delivery reply = drive->Answer(request);
            reply.FirstDelayMs = 120; // inside the time-out
            return reply;
        };
    int ticks = 0;
    std::uint16_t readBack = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++ticks == 2) {
            EXPECT_TRUE(driver->ReadRegs(2, &readBack, true, 500, 1, nullptr));
        }
    });
    timer.start(10);
    EXPECT_TRUE(driver->WriteReg(1, 7, true, 500, nullptr));
    EXPECT_GE(ticks, 2);
    EXPECT_EQ(std::tuple(readBack, lineThreads.count(QThread::currentThread()), Written()),
              std::tuple(drive->Registers[2], 0U, Pairs{{1, 7}}));

    timer.stop();
    drive->ThrowAt = {3};
    EXPECT_THROW(driver->ReadRegs(3, &readBack, true, 500, 1, nullptr), std::runtime_error);
    drive->ThrowAt.clear();
    drive->Silent = {3};
    EXPECT_FALSE(driver->WriteReg(3, 1, true, 150, nullptr) || driver->Online());
    EXPECT_TRUE(messages.Texts().contains(QStringLiteral("Device not Respondig")));
}

// The drive clears the command bits (others kept), then the status register decides; a
// reload leaves polling to the caller, a failure closes the windows and restarts it.
TEST_F(CommandTest, CommandBitsThenStatusDecide) {
    UseTable(DeviceKind::Std, StdCommandTable());
    drive->Clearing = 69;
    drive->Registers[69] = 0x1000;
    driver->WaitIdle();
    EXPECT_TRUE(driver->ExecCommand(TDriver::CmdSaveEeprom));
    EXPECT_EQ(Written(), (Pairs{{69, 0x1002}}));
    EXPECT_EQ(drive->Requests().back().firstRegister, 51); // the status register last
    EXPECT_TRUE(driver->EepromCommand(TDriver::CmdReloadEeprom, {}));
    EXPECT_TRUE(driver->Mode() == WorkerMode::Idle && messages.Texts().isEmpty());

    closedWith.clear();
    drive->Registers[51] = 0x0001;
    EXPECT_FALSE(driver->EepromCommand(TDriver::CmdReloadEeprom, {.Pages = true}));
    EXPECT_TRUE(messages.Texts().contains("Device not perform\rEEPROM operation!"));
    EXPECT_EQ(closedWith, std::vector<WindowsToClose>{{.Pages = true}});
    EXPECT_TRUE(driver->Mode() == WorkerMode::StatusPoll && driver->Online());
}

TEST_F(CommandTest, FlashAndResetUseTheKindsCommandRegister) {
    UseTable(DeviceKind::Drive, {MakeEntry(116, 'N'), MakeEntry(202, 'N')});
    drive->Clearing = 202;
    EXPECT_TRUE(driver->FlashCommand(TDriver::CmdSaveProfiles) && driver->ResetDrive());
    EXPECT_EQ(Written(), (Pairs{{202, 0x20}, {202, 0x80}}));
}

// Nothing ran before the first reset: the worker stays idle; polling is restored after the
// second.
TEST_F(CommandTest, ResetAlarmsClearsHistoricWordsLowThenHigh) {
    UseTable(DeviceKind::Std, StdCommandTable());
    EXPECT_TRUE(driver->ResetAlarms());
    EXPECT_EQ(std::tuple(Written(), Param(84).DriveValue, driver->Mode()),
              std::tuple(Pairs{{83, 0}, {84, 0}}, 0, WorkerMode::Idle));

    drive->ClearRequests();
    UseTable(DeviceKind::Drive, {MakeEntry(120, 'N', 3), MakeEntry(119, 'N', 4)});
    driver->SetMode(WorkerMode::StatusPoll);
    EXPECT_TRUE(driver->ResetAlarms());
    EXPECT_EQ(std::tuple(Written(), driver->Mode()),
              std::tuple(Pairs{{119, 0}, {120, 0}}, WorkerMode::StatusPoll));
}

// Off line every operation is refused; a kind without its command register refuses the
// command on line too. Neither touches the line.
TEST_F(CommandTest, EveryOperationIsRefusedOffLine) {
    UseTable(DeviceKind::Power, {MakeEntry(83, 'N')}); // no 90
    driver->WaitIdle();
    EXPECT_FALSE(driver->ExecCommand(TDriver::CmdReset));
    UseTable(DeviceKind::Std, StdCommandTable());
    driver->SetOnline(false);
    std::uint16_t buffer[4]{};
    EXPECT_EQ((std::vector{driver->ReadRegs(0, buffer, true, 100, 1, nullptr),
                           driver->WriteReg(1, 2, true, 100, nullptr), driver->WriteChangedParams(),
                           driver->WriteChangedProfiles(), driver->WriteChangedScopeSettings(),
                           driver->ExecCommand(TDriver::CmdSaveEeprom),
                           driver->EepromCommand(TDriver::CmdSaveEeprom, {.Pages = true}),
                           driver->FlashCommand(TDriver::CmdSaveProfiles), driver->ResetDrive(),
                           driver->ResetAlarms()}),
              std::vector<bool>(10, false));
    EXPECT_TRUE(drive->Requests().empty() && closedWith.empty() && messages.Texts().isEmpty());
}

using ModeTest = DriveFixture;

// Off line the worker stays suspended; so does a mode without an installed step (no
// diagnostic body).
TEST_F(ModeTest, SetModeOffLineOrUnknownLeavesTheWorkerSuspended) {
    UseRange(DeviceKind::Std, 0, 3);
    int polls = 0;
    driver->SetPollBody(WorkerMode::StatusPoll, [&] { ++polls; });
    driver->SetOnline(false);
    driver->SetMode(WorkerMode::StatusPoll);
    EXPECT_EQ(driver->Mode(), WorkerMode::Idle);
    WaitFor([] { return false; }, 700);
    EXPECT_EQ(std::tuple(polls, host.SynchronizedCount(), driver->WaitIdle()),
              std::tuple(0, 0, WorkerMode::Idle));
    driver->SetOnline(true);
    driver->SetMode(WorkerMode::Diagnostic);
    ASSERT_TRUE(WaitFor([&] { return driver->Mode() == WorkerMode::Idle; }, 3000));
    EXPECT_EQ(driver->WaitIdle(), WorkerMode::Idle);
}

// Polls run on the user-interface thread about every 500 ms; a poll longer than that (the
// second one here) is followed after a short gap only. Once stopped, no further polls and
// the pause timer is off.
TEST_F(ModeTest, PollsArePacedOnTheUserInterfaceThread) {
    UseRange(DeviceKind::Std, 0, 3);
    std::vector<std::uint32_t> starts, ends;
    bool onMainThread = true;
    driver->SetPollBody(WorkerMode::StatusPoll, [&] {
        starts.push_back(TickCount());
        onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
        if (starts.size() == 2)
            QThread::msleep(600);
        ends.push_back(TickCount());
    });
    driver->SetMode(WorkerMode::StatusPoll);
    ASSERT_TRUE(WaitFor([&] { return starts.size() >= 4; }, 8000));
    EXPECT_EQ(driver->WaitIdle(), WorkerMode::StatusPoll);
    EXPECT_TRUE(onMainThread);
    for (const std::size_t i : {1, 3}) {
        EXPECT_GE(starts[i] - starts[i - 1], 450u) << i;
        EXPECT_LT(starts[i] - starts[i - 1], 1500u) << i;
    }
    EXPECT_LT(starts[2] - ends[1], 300u);
    const std::size_t count = starts.size();
    WaitFor([] { return false; }, 700);
    EXPECT_EQ(starts.size(), count);
    EXPECT_FALSE(host.PauseTimerActive());
}

TEST_F(ModeTest, OperationsFromInsideAPollDoNotDeadlock) {
    UseTable(DeviceKind::Std, {MakeEntry(5, 'A', 1)});
    int polls = 0;
    driver->SetPollBody(WorkerMode::StatusPoll, [&] {
        Param(5).Value = static_cast<std::int16_t>(++polls + 10);
        EXPECT_TRUE(driver->WriteChangedParams());
    });
    driver->SetMode(WorkerMode::StatusPoll);
    ASSERT_TRUE(WaitFor([&] { return polls >= 2; }, 5000));
    EXPECT_EQ(driver->WaitIdle(), WorkerMode::StatusPoll);
    EXPECT_GE(Written().size(), 2u);
}

// Edits are kept per kind; a kind out of range is not stored.
TEST_F(ModeTest, KindSelectionStoresEditsAndClampsTheKind) {
    UseTable(DeviceKind::Std, {MakeEntry(1, 'A', 5)});
    driver->KindTable(DeviceKind::Drive).Add(MakeEntry(7, 'A', 70));
    Param(1).Value = 99;
    driver->SelectDeviceKind(DeviceKind::Drive, true);
    EXPECT_EQ(std::tuple(driver->CurrentKind(), driver->ActiveTable().Count(),
                         driver->ActiveTable().At(0).Address),
              std::tuple(DeviceKind::Drive, 1, 7));
    driver->SelectDeviceKind(DeviceKind::Std, false);
    EXPECT_EQ(Param(1).Value, 99);
    Param(1).Value = 1;
    driver->SelectDeviceKind(static_cast<DeviceKind>(9), false);
    EXPECT_EQ(std::tuple(driver->CurrentKind(), Param(1).Value), std::tuple(DeviceKind::Std, 99));
}

// A journal of changes on the driver's writes, in a temporary folder; notes collected.
struct WriteJournalTest : DriveFixture {
    void Open(const QString& path, const QString& program, WriteJournal::ContextSource context) {
        journal = std::make_unique<WriteJournal>(Journal::Options{dir.filePath(path)}, program,
                                                 std::move(context),
                                                 [this](const QString& note) { notes << note; });
        driver->SetWriteRecorder([this](const WriteRecord& record) { journal->Record(record); });
    }
    QTemporaryDir dir;
    QStringList notes;
    std::unique_ptr<WriteJournal> journal;
};

// One request is one change; a write asked now is a change of its own, so are a stale and a
// failed one, each with its outcome.
TEST_F(WriteJournalTest, OneRequestIsOneChangeWithOldValuesAndOutcomes) {
    UseTable(DeviceKind::Std, {MakeEntry(40, 'A', 5), MakeEntry(41, 'A', 6)});
    Open("journal.jsonl", "kelmdrive", [](const UnitInUse&) {
        return JournalContext{"Expert", "/dev/ttyUSB0", "Std", {"MZ400T", {}, {}}};
    });
    {
        const WriteGate::Scope apply(driver->Gate(), driver->Ask(QStringLiteral("Speed Apply")));
        driver->WriteParam(40, 50, false);
        driver->WriteParam(41, 60, false);
        driver->WriteReg(50000, 1, false, 100, nullptr); // not a parameter: not journalled
    }
    driver->WriteParam(40, 70, false);
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
    const auto listing = journal->File().Read();
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
    EXPECT_EQ(journal->ChangeCount(), 4);
    EXPECT_TRUE(notes.isEmpty());
}

// A journal that cannot be written is said once; the writes themselves go on.
TEST_F(WriteJournalTest, AJournalThatCannotBeWrittenIsSaidOnce) {
    UseTable(DeviceKind::Std, {MakeEntry(40)});
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    Open("file/journal.jsonl", "kelmctl", {});
    EXPECT_TRUE(driver->WriteParam(40, 1, false) && driver->WriteParam(40, 2, false));
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes[0].startsWith(QStringLiteral("The journal of changes cannot be written")));
}

} // namespace
} // namespace kelm::test
