#include "SimDriveFixture.h"

#include "core/drive/scope/ScopeCapture.h"
#include "core/drive/scope/ScopeSession.h"
#include "core/drive/scope/ScopeSettingsFile.h"

#include <QSettings>
#include <QTemporaryDir>

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

class ScopeCaptureTest : public SimDriveFixture {
protected:
    void SetUp() override {
        Build(sim::SimKind::Std);
        GoOnlinePlain();
        capture = std::make_unique<ScopeCapture>(*driver);
        capture->Install();
    }
    void ReleaseUsers() override {
        session.reset();
        capture.reset();
    }
    void Settings(int edge, int windowMs) {
        driver->ScopeSettingsTable().FindByAddress(scope::Edge)->Value = std::int16_t(edge);
        driver->ScopeSettingsTable().FindByAddress(scope::TimeWindow)->Value =
            std::int16_t(windowMs);
    }

    // Arms an automatic capture and waits, reading the state as the status poll does,
    // until the drive reports it complete.
    bool ArmAndWait() {
        Settings(3, 10);
        return scope::Arm(*driver, {0, 0, 1000, 2000}) && WaitFor([&] {
                   driver->WaitIdle();
                   scope::ReadScopeState(*driver);
                   return scope::DriveState(*driver) == scope::StateComplete;
               });
    }

    bool Upload() {
        bool done = false;
        capture->StartUpload({}, [&done] { done = true; });
        return WaitFor([&] { return done; }) &&
               WaitFor([&] { return driver->Mode() != WorkerMode::CaptureUpload; });
    }

    // The sizes of the sample block reads of one channel, in order.
    std::vector<int> BlockReads(std::uint16_t first) {
        std::vector<int> sizes;
        for (const sim::ExchangeRecord& r : Records())
            if (r.function == 3 && r.firstRegister >= first && r.firstRegister < first + 1000)
                sizes.push_back(r.count);
        return sizes;
    }

    // The run on the user-interface thread, with the status poll reading the recorder state.
    void StartSession(int edge, int windowMs) {
        Settings(edge, windowMs);
        driver->SetPollBody(WorkerMode::StatusPoll, [this] { scope::ReadScopeState(*driver); });
        session = std::make_unique<ScopeSession>(*driver, *capture);
        ScopeSession::Observer observer;
        observer.Continuous = [this] { return continuous; };
        observer.RunControlsReset = [this] { ++resets; };
        observer.UploadEnded = [this](bool plot) {
            (plot ? plotted : skipped)++;
            session->CaptureComplete(); // the poll still sees the full record: no new upload
        };
        session->SetObserver(observer);
        driver->SetMode(WorkerMode::StatusPoll);
        ASSERT_TRUE(session->Start());
        EXPECT_FALSE(session->Start()); // one run at a time
    }
    bool Idle() {
        return WaitFor([&] { return !session->Running() && !session->PostProcessingPending(); });
    }

    std::unique_ptr<ScopeCapture> capture;
    std::unique_ptr<ScopeSession> session;
    bool continuous = false;
    int resets = 0, plotted = 0, skipped = 0;
};

// The command register goes last (CommandTest.ScopeSettingsWriteTheControlRegisterLast...).
TEST_F(ScopeCaptureTest, ArmWritesTheSettingsAndStopClearsTheCommand) {
    ASSERT_TRUE(scope::Arm(*driver, {5, 7, 100, 200}));
    EXPECT_EQ(std::tuple(SimRegister(1, scope::Level), SimRegister(1, scope::Scale2)),
              std::tuple(5, 200));
    ASSERT_TRUE(scope::Stop(*driver));
    EXPECT_EQ(SimRegister(1, scope::Command), 0);
    // The state is read only while armed.
    ClearRecords();
    scope::ReadScopeState(*driver);
    EXPECT_TRUE(Records().empty());
}

TEST_F(ScopeCaptureTest, CountIsLimitedToTheBuffersAndZeroReadsNothing) {
    ASSERT_TRUE(ArmAndWait());
    SetSimRegister(1, scope::SampleCount, 700);
    ASSERT_TRUE(Upload());
    EXPECT_EQ(std::tuple(capture->ReportedCount(), capture->SampleCount()), std::tuple(700, 500));
    EXPECT_EQ(BlockReads(scope::Channel1Samples).size(), 16U);
    // The period is the window over the reported count, whatever the buffers hold.
    for (const auto& [index, window, reported, ms] :
         {std::tuple{499, 200.0, 1000, 99.8}, {250, 500.0, 500, 250.0}, {3, 100.0, 0, 0.0}})
        EXPECT_DOUBLE_EQ(scope::SampleTime(index, window, reported), ms) << index;

    SetSimRegister(1, scope::SampleCount, 0);
    ClearRecords();
    ASSERT_TRUE(Upload());
    EXPECT_TRUE(capture->Completed() && capture->SampleCount() == 0);
    EXPECT_TRUE(BlockReads(scope::Channel1Samples).empty() &&
                BlockReads(scope::Channel2Samples).empty());
}

using ScopeSessionTest = ScopeCaptureTest;

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
    EXPECT_EQ(std::tuple(skipped, resets, SimRegister(1, scope::Command)), std::tuple(1, 1, 0));
}

// The drive sets the sample factors: a stale value in the table (an older settings file) is
// never sent at a Start, and the table follows the drive again.
TEST_F(ScopeSessionTest, StartWritesNeitherSampleFactor) {
    ParamTable& table = driver->ScopeSettingsTable();
    for (const std::uint16_t address : {scope::Factor1, scope::Factor2}) {
        SetSimRegister(1, address, 5);
        table.FindByAddress(address)->DriveValue = 5;
        table.FindByAddress(address)->Value = 9;
    }
    StartSession(1, 10000);
    ASSERT_TRUE(WaitFor([&] { return SimRegister(1, scope::Command) == 1; }));
    session->RequestStop();
    ASSERT_TRUE(Idle());
    for (const std::uint16_t address : {scope::Factor1, scope::Factor2})
        EXPECT_EQ(std::tuple(SimRegister(1, address), table.FindByAddress(address)->Value),
                  std::tuple(5, 5));
}

// The stored settings never arm the recorder nor carry the factors: neither is loaded from
// an older file, and the command is stored as stop whatever the table holds.
TEST_F(ScopeCaptureTest, SettingsFileKeepsNoArmAndNoFactors) {
    QTemporaryDir dir;
    const ScopeSettingsFile file(dir.filePath("user.ini"), dir.filePath("shipped.ini"));
    QSettings(dir.filePath("shipped.ini"), QSettings::IniFormat)
        .setValue("Std/O50000", 1); // the other keys as an older file had them
    for (const char* key : {"Std/O50001", "Std/O50012"})
        QSettings(dir.filePath("shipped.ini"), QSettings::IniFormat).setValue(key, 200);
    ParamTable& table = driver->ScopeSettingsTable();
    const auto value = [&table](std::uint16_t a) -> std::int16_t& {
        return table.FindByAddress(a)->Value;
    };
    std::array<int, 2> offsets{};
    ASSERT_TRUE(file.Load(DeviceKind::Std, table, offsets));
    EXPECT_EQ(std::tuple(value(scope::Command), value(scope::TimeWindow), value(scope::Factor1)),
              std::tuple(0, 200, 0));
    value(scope::Command) = scope::StateArmed; // an exit that could not stop the recorder
    ASSERT_TRUE(file.Save(DeviceKind::Std, table, offsets));
    EXPECT_EQ(QSettings(file.UserFile(), QSettings::IniFormat).value("Std/O50000").toInt(), 0);
}

} // namespace
} // namespace kelm::test
