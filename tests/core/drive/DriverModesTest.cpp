#include "DriveTestSupport.h"

#include "../config/ConfigFixtures.h"

#include <QTemporaryDir>
#include <atomic>

namespace kelm::test {
namespace {

using ModeTest = DriveFixture;

TEST_F(ModeTest, SetModeOffLineOrUnknownLeavesTheWorkerSuspended) {
    UseRange(DeviceKind::Std, 0, 3);
    int polls = 0;
    driver->SetPollBody('I', [&] { ++polls; });
    driver->SetOnline(false);
    driver->SetMode('I');
    EXPECT_EQ(driver->ModeLetter(), 0);
    WaitFor([] { return false; }, 700);
    EXPECT_EQ(std::tuple(polls, host.SynchronizedCount()), std::tuple(0, 0));
    EXPECT_EQ(driver->WaitIdle(), 0);
    // Unknown letters (no diagnostic step installed) stop the worker too.
    driver->SetOnline(true);
    driver->SetMode('D');
    ASSERT_TRUE(WaitFor([&] { return driver->ModeLetter() == 0; }, 3000));
    EXPECT_EQ(driver->WaitIdle(), 0);
}

TEST_F(ModeTest, PollRunsOnTheUserInterfaceThreadAboutEvery500Ms) {
    UseRange(DeviceKind::Std, 0, 3);
    std::vector<std::uint32_t> ticks;
    bool onMainThread = true;
    driver->SetPollBody('I', [&] {
        ticks.push_back(TickCount());
        onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
    });
    driver->SetMode('I');
    ASSERT_TRUE(WaitFor([&] { return ticks.size() >= 4; }, 6000));
    EXPECT_EQ(driver->WaitIdle(), 'I');
    EXPECT_TRUE(onMainThread);
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        EXPECT_GE(ticks[i] - ticks[i - 1], 450u);
        EXPECT_LT(ticks[i] - ticks[i - 1], 1500u);
    }
    // Stopped: no further polls and the pause timer is off.
    const std::size_t count = ticks.size();
    WaitFor([] { return false; }, 700);
    EXPECT_EQ(ticks.size(), count);
    EXPECT_FALSE(host.PauseTimerActive());
}

TEST_F(ModeTest, APollLongerThanThePeriodIsFollowedAfterAShortGap) {
    UseRange(DeviceKind::Std, 0, 3);
    std::vector<std::uint32_t> starts, ends;
    driver->SetPollBody('I', [&] {
        starts.push_back(TickCount());
        QThread::msleep(600);
        ends.push_back(TickCount());
    });
    driver->SetMode('I');
    ASSERT_TRUE(WaitFor([&] { return starts.size() >= 3; }, 8000));
    driver->WaitIdle();
    EXPECT_LT(starts[2] - ends[1], 300u);
}

TEST_F(ModeTest, OperationsFromInsideAPollDoNotDeadlock) {
    UseTable(DeviceKind::Std, {MakeEntry(5, 'A', 1)});
    int polls = 0;
    driver->SetPollBody('I', [&] {
        ++polls;
        driver->ActiveTable().FindByAddress(5)->Value = static_cast<std::int16_t>(polls + 10);
        EXPECT_TRUE(driver->WriteChangedParams());
    });
    driver->SetMode('I');
    ASSERT_TRUE(WaitFor([&] { return polls >= 2; }, 5000));
    EXPECT_EQ(driver->WaitIdle(), 'I');
    EXPECT_GE(Written().size(), 2u);
}

TEST_F(ModeTest, LinkPollAndDiagnosticUseTheirBodies) {
    UseRange(DeviceKind::Power, 0, 3);
    int linkStarts = 0, linkPolls = 0, diagStarts = 0;
    std::atomic<int> diagSteps{0}; // counted on the worker
    driver->SetStartBody('S', [&] { ++linkStarts; });
    driver->SetPollBody('S', [&] { ++linkPolls; });
    driver->SetStartBody('D', [&] { ++diagStarts; });
    driver->SetStepBody('D', [&] {
        ++diagSteps;
        QThread::msleep(2);
    });
    driver->SetMode('S');
    ASSERT_TRUE(WaitFor([&] { return linkPolls >= 1; }, 3000));
    EXPECT_EQ(driver->WaitIdle(), 'S');
    driver->SetMode('D');
    ASSERT_TRUE(WaitFor([&] { return diagSteps >= 5; }, 3000));
    EXPECT_EQ(driver->WaitIdle(), 'D');
    EXPECT_EQ(std::tuple(linkStarts, diagStarts), std::tuple(1, 1));
    const int steps = diagSteps;
    QThread::msleep(50);
    EXPECT_EQ(diagSteps, steps);
}

// Going off line while the pause timer is pending leaves the timer running (SetMode only
// clears the letter); the driver must not be called by it once it is gone.
TEST_F(ModeTest, DestroyingTheDriverCancelsAPendingPause) {
    UseRange(DeviceKind::Std, 0, 3);
    driver->SetPollBody('I', [] {});
    driver->SetMode('I');
    ASSERT_TRUE(WaitFor([&] { return host.PauseTimerActive(); }, 3000));
    driver->SetOnline(false);
    driver->SetMode('I');
    EXPECT_EQ(driver->ModeLetter(), 0);
    driver.reset();
    EXPECT_FALSE(host.PauseTimerActive());
    host.SetDriver(nullptr);
}

TEST_F(ModeTest, KindSelectionStoresEditsAndClampsTheKind) {
    UseTable(DeviceKind::Std, {MakeEntry(1, 'A', 5)});
    driver->KindTable(DeviceKind::Drive).Add(MakeEntry(7, 'A', 70));
    driver->ActiveTable().FindByAddress(1)->Value = 99;
    driver->SelectDeviceKind(DeviceKind::Drive, true);
    EXPECT_EQ(driver->CurrentKind(), DeviceKind::Drive);
    ASSERT_EQ(driver->ActiveTable().Count(), 1);
    EXPECT_EQ(driver->ActiveTable().At(0).Address, 7);
    driver->SelectDeviceKind(DeviceKind::Std, false);
    EXPECT_EQ(driver->ActiveTable().FindByAddress(1)->Value, 99);
    driver->ActiveTable().FindByAddress(1)->Value = 1;
    driver->SelectDeviceKind(static_cast<DeviceKind>(9), false); // not stored
    EXPECT_EQ(driver->CurrentKind(), DeviceKind::Std);
    EXPECT_EQ(driver->ActiveTable().FindByAddress(1)->Value, 99);
}

// What each configuration file holds and which failure it reports is the configuration
// set's; here the driver takes the tables over, or stays usable for an orderly shutdown.
class StartupTest : public DriveFixture {
protected:
    void SetUp() override {
        DriveFixture::SetUp();
        ASSERT_TRUE(temp.isValid());
        install = temp.path() + "/install/";
        WriteGoodConfigSet(install + "Bin/");
    }
    void TearDown() override {
        ClearTerminateRequest();
        DriveFixture::TearDown();
    }

    QTemporaryDir temp;
    QString install;
};

TEST_F(StartupTest, LoadsTheKindTablesAndSelectsStd) {
    ASSERT_TRUE(driver->Initialize(install, temp.path() + "/data/Devices/"));
    EXPECT_EQ(messages.TerminateCount(), 0);
    EXPECT_EQ(driver->CurrentKind(), DeviceKind::Std);
    ASSERT_EQ(driver->ActiveTable().Count(), 2);
    EXPECT_EQ(driver->ActiveTable().At(0).DefaultValue, 10);
    EXPECT_EQ(driver->KindTable(DeviceKind::Power).Count(), 2);
    EXPECT_TRUE(driver->CurrentFileName.isEmpty());
    EXPECT_FALSE(driver->Online());
    EXPECT_EQ(driver->ModeLetter(), 0);
}

TEST_F(StartupTest, AMissingDeviceFileEndsTheProgram) {
    QFile::remove(install + "Bin/TarnDrive.dll");
    EXPECT_FALSE(driver->Initialize(install, temp.path() + "/data/"));
    EXPECT_GE(messages.TerminateCount(), 1);
    EXPECT_EQ(driver->WaitIdle(), 0);
}

} // namespace
} // namespace kelm::test
