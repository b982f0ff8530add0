#include "DriveTestSupport.h"

#include <QTimer>

namespace kelm::test {
namespace {

using CommandTest = DriveFixture;
using Pairs = std::vector<std::pair<int, int>>;

// A Std drive whose command register 69 clears the bits as soon as they are written.
void ClearingDrive(RegisterMapDrive& drive, std::uint16_t commandRegister = 69) {
    drive.OnWrite = [&drive, commandRegister](const RegisterMapDrive::Request& r) {
        if (r.Address == commandRegister)
            drive.Registers[commandRegister] = 0;
    };
}

std::vector<ParamEntry> StdCommandTable() {
    return {MakeEntry(1, 'A', 1), MakeEntry(51, 'N'),    MakeEntry(52, 'N'),
            MakeEntry(69, 'N'),   MakeEntry(83, 'N', 5), MakeEntry(84, 'N', 6)};
}

TEST_F(CommandTest, WriteChangedParamsSendsOnlyChangedEntriesAndStopsAtAFailure) {
    UseTable(DeviceKind::Std, {MakeEntry(1, 'A', 3), MakeEntry(2, 'A', 4), MakeEntry(3, 'N', 5)});
    EXPECT_TRUE(driver->WriteChangedParams() && drive->Requests().empty());
    EXPECT_EQ(driver->Mode(), WorkerMode::StatusPoll);
    driver->ActiveTable().FindByAddress(2)->Value = -2;
    EXPECT_TRUE(driver->WriteChangedParams());
    EXPECT_EQ(Written(), (Pairs{{2, 0xFFFE}}));
    EXPECT_EQ(driver->ActiveTable().FindByAddress(2)->DriveValue, -2);

    drive->ClearRequests();
    UseTable(DeviceKind::Std, {MakeEntry(2, 'A', 3), MakeEntry(3, 'A', 4), MakeEntry(4, 'A', 5)});
    for (ParamEntry& e : driver->ActiveTable())
        e.Value = 9;
    drive->Silent = {3};
    EXPECT_FALSE(driver->WriteChangedParams());
    EXPECT_FALSE(driver->Online());
    EXPECT_EQ(Written().back(), std::pair(3, 9)); // nothing after the failing one
    EXPECT_TRUE(driver->ActiveTable().FindByAddress(2)->DriveValue == 9 &&
                driver->ActiveTable().FindByAddress(4)->DriveValue == 5);
}

TEST_F(CommandTest, ScopeSettingsWriteTheControlRegisterLastProfilesOnlyChanges) {
    UseTable(DeviceKind::Std, {});
    // The sample factor (50013) is the drive's: never sent.
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
    drive->OnWrite = [&](const RegisterMapDrive::Request&) {
        const std::lock_guard lock(lineMutex);
        lineThreads.insert(QThread::currentThread());
    };
    auto* line = static_cast<FakeSerialChannel*>(&master->Channel());
    line->Reply = [this](std::span<const std::uint8_t> request) {
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
    EXPECT_EQ(readBack, drive->Registers[2]);
    EXPECT_EQ(lineThreads.count(QThread::currentThread()), 0U);
    EXPECT_EQ(Written(), (Pairs{{1, 7}}));

    timer.stop();
    drive->ThrowAt = {3};
    std::uint16_t word = 0;
    EXPECT_THROW(driver->ReadRegs(3, &word, true, 500, 1, nullptr), std::runtime_error);
    drive->ThrowAt.clear();
    drive->Silent = {3};
    EXPECT_FALSE(driver->WriteReg(3, 1, true, 150, nullptr));
    EXPECT_FALSE(driver->Online());
    EXPECT_TRUE(messages.Texts().contains(QStringLiteral("Device not Respondig")));
}

// The drive clears the command bits (others kept), then the status register decides; a
// reload leaves polling to the caller, a failure closes the windows and restarts it.
TEST_F(CommandTest, CommandBitsThenStatusDecide) {
    UseTable(DeviceKind::Std, StdCommandTable());
    ClearingDrive(*drive);
    drive->Registers[69] = 0x1000;
    driver->WaitIdle();
    EXPECT_TRUE(driver->ExecCommand(TDriver::CmdSaveEeprom));
    EXPECT_EQ(Written(), (Pairs{{69, 0x1002}}));
    EXPECT_EQ(drive->Requests().back().Address, 51); // the status register last
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
    ClearingDrive(*drive, 202);
    EXPECT_TRUE(driver->FlashCommand(TDriver::CmdSaveProfiles));
    EXPECT_TRUE(driver->ResetDrive());
    EXPECT_EQ(Written(), (Pairs{{202, 0x20}, {202, 0x80}}));
}

TEST_F(CommandTest, ResetAlarmsClearsHistoricWordsLowThenHigh) {
    UseTable(DeviceKind::Std, StdCommandTable());
    EXPECT_TRUE(driver->ResetAlarms());
    EXPECT_EQ(Written(), (Pairs{{83, 0}, {84, 0}}));
    EXPECT_EQ(driver->ActiveTable().FindByAddress(84)->DriveValue, 0);
    EXPECT_EQ(driver->Mode(), WorkerMode::Idle); // nothing ran before: stays idle

    drive->ClearRequests();
    UseTable(DeviceKind::Drive, {MakeEntry(120, 'N', 3), MakeEntry(119, 'N', 4)});
    driver->SetMode(WorkerMode::StatusPoll);
    EXPECT_TRUE(driver->ResetAlarms());
    EXPECT_EQ(Written(), (Pairs{{119, 0}, {120, 0}}));
    EXPECT_EQ(driver->Mode(), WorkerMode::StatusPoll); // polling restored
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
    const bool results[] = {driver->ReadRegs(0, buffer, true, 100, 1, nullptr),
                            driver->WriteReg(1, 2, true, 100, nullptr),
                            driver->WriteChangedParams(),
                            driver->WriteChangedProfiles(),
                            driver->WriteChangedScopeSettings(),
                            driver->ExecCommand(TDriver::CmdSaveEeprom),
                            driver->EepromCommand(TDriver::CmdSaveEeprom, {.Pages = true}),
                            driver->FlashCommand(TDriver::CmdSaveProfiles),
                            driver->ResetDrive(),
                            driver->ResetAlarms()};
    for (std::size_t i = 0; i < std::size(results); ++i)
        EXPECT_FALSE(results[i]) << i;
    EXPECT_TRUE(drive->Requests().empty() && closedWith.empty() && messages.Texts().isEmpty());
}

using ModeTest = DriveFixture;

TEST_F(ModeTest, SetModeOffLineOrUnknownLeavesTheWorkerSuspended) {
    UseRange(DeviceKind::Std, 0, 3);
    int polls = 0;
    driver->SetPollBody(WorkerMode::StatusPoll, [&] { ++polls; });
    driver->SetOnline(false);
    driver->SetMode(WorkerMode::StatusPoll);
    EXPECT_EQ(driver->Mode(), WorkerMode::Idle);
    WaitFor([] { return false; }, 700);
    EXPECT_EQ(std::tuple(polls, host.SynchronizedCount()), std::tuple(0, 0));
    EXPECT_EQ(driver->WaitIdle(), WorkerMode::Idle);
    // A mode without an installed step (no diagnostic body) stops the worker too.
    driver->SetOnline(true);
    driver->SetMode(WorkerMode::Diagnostic);
    ASSERT_TRUE(WaitFor([&] { return driver->Mode() == WorkerMode::Idle; }, 3000));
    EXPECT_EQ(driver->WaitIdle(), WorkerMode::Idle);
}

// Polls run on the user-interface thread about every 500 ms; a poll longer than that (the
// second one here) is followed after a short gap only.
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
    // Stopped: no further polls and the pause timer is off.
    const std::size_t count = starts.size();
    WaitFor([] { return false; }, 700);
    EXPECT_EQ(starts.size(), count);
    EXPECT_FALSE(host.PauseTimerActive());
}

TEST_F(ModeTest, OperationsFromInsideAPollDoNotDeadlock) {
    UseTable(DeviceKind::Std, {MakeEntry(5, 'A', 1)});
    int polls = 0;
    driver->SetPollBody(WorkerMode::StatusPoll, [&] {
        ++polls;
        driver->ActiveTable().FindByAddress(5)->Value = static_cast<std::int16_t>(polls + 10);
        EXPECT_TRUE(driver->WriteChangedParams());
    });
    driver->SetMode(WorkerMode::StatusPoll);
    ASSERT_TRUE(WaitFor([&] { return polls >= 2; }, 5000));
    EXPECT_EQ(driver->WaitIdle(), WorkerMode::StatusPoll);
    EXPECT_GE(Written().size(), 2u);
}

TEST_F(ModeTest, KindSelectionStoresEditsAndClampsTheKind) {
    UseTable(DeviceKind::Std, {MakeEntry(1, 'A', 5)});
    driver->KindTable(DeviceKind::Drive).Add(MakeEntry(7, 'A', 70));
    driver->ActiveTable().FindByAddress(1)->Value = 99;
    driver->SelectDeviceKind(DeviceKind::Drive, true);
    EXPECT_EQ(std::tuple(driver->CurrentKind(), driver->ActiveTable().Count(),
                         driver->ActiveTable().At(0).Address),
              std::tuple(DeviceKind::Drive, 1, 7));
    driver->SelectDeviceKind(DeviceKind::Std, false);
    EXPECT_EQ(driver->ActiveTable().FindByAddress(1)->Value, 99);
    driver->ActiveTable().FindByAddress(1)->Value = 1;
    driver->SelectDeviceKind(static_cast<DeviceKind>(9), false); // not stored
    EXPECT_EQ(driver->CurrentKind(), DeviceKind::Std);
    EXPECT_EQ(driver->ActiveTable().FindByAddress(1)->Value, 99);
}

} // namespace
} // namespace kelm::test
