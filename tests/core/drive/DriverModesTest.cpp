#include "DriveTestSupport.h"

namespace kelm::test {
namespace {

using ModeTest = DriveFixture;

TEST_F(ModeTest, SetModeOffLineOrWithoutBodyLeavesTheWorkerSuspended) {
    UseRange(DeviceKind::Std, 0, 3);
    int polls = 0;
    driver->SetPollBody(WorkerMode::StatusPoll, [&] { ++polls; });
    driver->SetOnline(false);
    driver->SetMode(WorkerMode::StatusPoll);
    EXPECT_EQ(driver->Mode(), WorkerMode::Idle);
    WaitFor([] { return false; }, 700);
    EXPECT_EQ(std::tuple(polls, host.SynchronizedCount()), std::tuple(0, 0));
    EXPECT_EQ(driver->WaitIdle(), WorkerMode::Idle);
    // A mode without its step body (no diagnostic step installed) stops the worker too.
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
