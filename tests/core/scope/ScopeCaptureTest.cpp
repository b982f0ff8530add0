// The capture engine against the simulator engine in-process: arming, the recorder state,
// the upload per kind, a lost link and the sample conversion.
#include "SimDriveFixture.h"

#include "core/drive/scope/ScopeCapture.h"
#include "core/drive/scope/ScopeSession.h"

namespace kelm::test {
namespace {

TEST(ScaledSample, FactorRules) {
    struct Case {
        std::int16_t raw, factor;
        double offset, expected;
    } const cases[] = {
        {100, 2, 0, 100},  {100, 3, 0, 100},  {100, 4, 0, 200},           {100, 5, 0, 50},
        {101, 5, 0, 50.5}, {100, 0, 7, 7},    {-100, -4, 0, 200},         {100, -5, 0, -50},
        {123, 1, 0, 123},  {123, -1, 2, 125}, {-32768, 2, 0.5, -32767.5},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(scope::ScaledSample(c.raw, c.factor, c.offset), c.expected)
            << c.raw << " factor " << c.factor;
}

TEST(UploadProgress, EachBlockCountsOnce) {
    UploadProgress progress;
    EXPECT_EQ(progress.TakeNewRegisters(), 0); // nothing arrived yet
    progress.First = progress.Reference = 51000;
    progress.Last = 51031;
    EXPECT_EQ(progress.TakeNewRegisters(), 32);
    EXPECT_EQ(progress.TakeNewRegisters(), 0);
}

class ScopeCaptureTest : public SimDriveFixture {
protected:
    // Goes on line with the kind's unit: Std plain, Orca and a Drive unit in link mode.
    void Connect(sim::SimKind kind) {
        Build(kind);
        if (kind == sim::SimKind::Std) {
            GoOnlinePlain();
            unit = 1;
        } else {
            ASSERT_TRUE(master->OpenPort(1, 19200, true, 2));
            const int base = driver->KindTable(DeviceKind::Power).FindByAddress(4)->DefaultValue;
            unit = static_cast<std::uint8_t>(kind == sim::SimKind::Orca ? 2 : base + 1);
            master->DeviceAddress = unit;
            driver->SelectDeviceKind(
                kind == sim::SimKind::Orca ? DeviceKind::Orca230 : DeviceKind::Drive, false);
            driver->SetOnline(true);
        }
        capture = std::make_unique<ScopeCapture>(*driver);
        capture->Install();
    }
    void TearDown() override {
        if (driver)
            driver->WaitIdle();
        capture.reset();
        SimDriveFixture::TearDown();
    }

    // Arms an automatic capture and waits, reading the state as the status poll does,
    // until the drive reports it complete.
    bool ArmAndWait() {
        driver->ScopeSettingsTable().FindByAddress(scope::Edge)->Value = 3;
        driver->ScopeSettingsTable().FindByAddress(scope::TimeWindow)->Value = 10;
        if (!scope::Arm(*driver, {0, 0, 1000, 2000}))
            return false;
        return WaitFor([&] {
            driver->WaitIdle();
            scope::ReadScopeState(*driver);
            return scope::DriveState(*driver) == scope::StateComplete || !driver->Online();
        });
    }

    bool Upload() {
        bool done = false;
        capture->StartUpload({}, [&done] { done = true; });
        return WaitFor([&] { return done; }) &&
               WaitFor([&] { return driver->ModeLetter() != 'T'; });
    }

    // The sizes of the sample block reads of one channel, in order.
    std::vector<int> BlockReads(std::uint16_t first) {
        std::vector<int> sizes;
        for (const sim::ExchangeRecord& r : Records())
            if (r.function == 3 && r.firstRegister >= first && r.firstRegister < first + 1000)
                sizes.push_back(r.count);
        return sizes;
    }

    std::unique_ptr<ScopeCapture> capture;
    std::uint8_t unit = 1;
};

TEST_F(ScopeCaptureTest, ArmWritesTheCommandLastAndStopClearsIt) {
    Connect(sim::SimKind::Std);
    ClearRecords();
    ASSERT_TRUE(scope::Arm(*driver, {5, 7, 100, 200}));
    std::vector<std::uint16_t> written;
    for (const sim::ExchangeRecord& r : Records())
        if (r.function == 16)
            written.push_back(r.firstRegister);
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written.back(), scope::Command);
    EXPECT_EQ(SimRegister(unit, scope::Level), 5);
    EXPECT_EQ(SimRegister(unit, scope::Scale2), 200);
    ASSERT_TRUE(scope::Stop(*driver));
    EXPECT_EQ(SimRegister(unit, scope::Command), 0);
    // The state is read only while armed.
    ClearRecords();
    scope::ReadScopeState(*driver);
    EXPECT_TRUE(Records().empty());
}

TEST_F(ScopeCaptureTest, CountIsLimitedToTheBuffersAndZeroReadsNothing) {
    Connect(sim::SimKind::Std);
    ASSERT_TRUE(ArmAndWait());
    SetSimRegister(1, scope::SampleCount, 700);
    ASSERT_TRUE(Upload());
    EXPECT_EQ(capture->ReportedCount(), 700);
    EXPECT_EQ(capture->SampleCount(), 500);
    EXPECT_EQ(BlockReads(scope::Channel1Samples).size(), 16U);

    SetSimRegister(1, scope::SampleCount, 0);
    ClearRecords();
    ASSERT_TRUE(Upload());
    EXPECT_TRUE(capture->Completed());
    EXPECT_EQ(capture->SampleCount(), 0);
    EXPECT_TRUE(BlockReads(scope::Channel1Samples).empty());
    EXPECT_TRUE(BlockReads(scope::Channel2Samples).empty());
}

// The run on the user-interface thread, with the status poll reading the recorder state.
class ScopeSessionTest : public ScopeCaptureTest {
protected:
    void StartSession(int edge, int windowMs) {
        Connect(sim::SimKind::Std);
        driver->ScopeSettingsTable().FindByAddress(scope::Edge)->Value =
            static_cast<std::int16_t>(edge);
        driver->ScopeSettingsTable().FindByAddress(scope::TimeWindow)->Value =
            static_cast<std::int16_t>(windowMs);
        driver->SetPollBody('I', [this] { scope::ReadScopeState(*driver); });
        session = std::make_unique<ScopeSession>(*driver, *capture);
        ScopeSession::Observer observer;
        observer.Continuous = [this] { return continuous; };
        observer.RunControlsReset = [this] { ++resets; };
        observer.UploadEnded = [this](bool plot) {
            (plot ? plotted : skipped)++;
            session->CaptureComplete(); // the poll still sees the full record: no new upload
        };
        session->SetObserver(observer);
        driver->SetMode('I');
        ASSERT_TRUE(session->Start());
        EXPECT_FALSE(session->Start()); // one run at a time
    }
    bool Idle() {
        return WaitFor([&] { return !session->Running() && !session->PostProcessingPending(); });
    }
    void TearDown() override {
        if (driver)
            driver->WaitIdle();
        session.reset();
        ScopeCaptureTest::TearDown();
    }

    std::unique_ptr<ScopeSession> session;
    bool continuous = false;
    int resets = 0, plotted = 0, skipped = 0;
};

TEST_F(ScopeSessionTest, SingleCapturePlotsOnceAndStopsTheRecorder) {
    StartSession(3, 10);
    ASSERT_TRUE(Idle());
    EXPECT_EQ(plotted, 1);
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(SimRegister(1, scope::Command), 0);
}

TEST_F(ScopeSessionTest, StopWhileArmedWritesZeroAtTheNextTick) {
    StartSession(1, 10000); // the record takes more than ten seconds
    ASSERT_TRUE(WaitFor([&] { return SimRegister(1, scope::Command) == 1; }));
    const std::uint32_t stopped = TickCount();
    session->RequestStop();
    ASSERT_TRUE(WaitFor([&] { return SimRegister(1, scope::Command) == 0; }));
    EXPECT_LT(TickCount() - stopped, 2000U); // one 500 ms tick, with room for a busy machine
    EXPECT_TRUE(Idle());
    EXPECT_EQ(plotted + skipped, 0);
}

TEST_F(ScopeSessionTest, ContinuousRearmsUntilStopAndStopDuringUploadSkipsThePlot) {
    continuous = true;
    StartSession(3, 10);
    ASSERT_TRUE(WaitFor([&] { return plotted >= 2; }));
    ASSERT_TRUE(WaitFor([&] { return session->Uploading(); }));
    session->RequestStop();
    ASSERT_TRUE(Idle());
    EXPECT_EQ(skipped, 1);
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(SimRegister(1, scope::Command), 0);
}

} // namespace
} // namespace kelm::test
