#include "DriveTestSupport.h"

#include <atomic>

namespace kelm::test {
namespace {

using TransferTest = DriveFixture;

TEST_F(TransferTest, ReadGroupsConsecutiveAddressesInBlocksOf32OnStdAnd16Elsewhere) {
    for (int a = 0; a <= 40; ++a)
        drive->Registers[static_cast<std::uint16_t>(a)] = 1000 + a;
    const std::pair<DeviceKind, Pairs> kinds[] = {
        {DeviceKind::Std, {{0, 32}, {32, 9}}}, {DeviceKind::Power, {{0, 16}, {16, 16}, {32, 9}}}};
    for (const auto& [kind, blocks] : kinds) {
        drive->ClearRequests();
        UseRange(kind, 0, 40);
        ASSERT_TRUE(RunRead(TransferTarget::ActiveTable));
        EXPECT_EQ(std::tuple(Reads(), progress), std::tuple(blocks, 41));
        for (const ParamEntry& e : driver->ActiveTable())
            EXPECT_EQ(std::tuple(e.DriveValue, e.Value, e.FileValue),
                      std::tuple(1000 + e.Address, 1000 + e.Address, 1000 + e.Address));
        EXPECT_EQ(driver->WaitIdle(), WorkerMode::StatusPoll); // polling restarts after the read
    }
}

// A gap starts a block; an empty table ends at once, with done and no request; the profiles'
// 576 registers are read in blocks of 32.
TEST_F(TransferTest, AGapStartsABlockAndTheProfilesAreReadInBlocksOf32) {
    UseTable(DeviceKind::Std, {MakeEntry(9), MakeEntry(10), MakeEntry(11), MakeEntry(20),
                               MakeEntry(21), MakeEntry(65535)});
    ASSERT_TRUE(RunRead(TransferTarget::ActiveTable));
    EXPECT_EQ(Reads(), (Pairs{{9, 3}, {20, 2}, {65535, 1}}));
    drive->ClearRequests();
    UseTable(DeviceKind::Std, {});
    ASSERT_TRUE(RunRead(TransferTarget::ActiveTable));
    EXPECT_TRUE(drive->Requests().empty() && progress == 0);
    ASSERT_TRUE(RunRead(TransferTarget::Profiles));
    const Pairs blocks = Reads();
    ASSERT_EQ(blocks.size(), 18u);
    EXPECT_EQ(std::pair(blocks.front(), blocks.back()),
              std::pair(std::pair(256, 32), std::pair(800, 32)));
}

TEST_F(TransferTest, ACompletionCanStartTheNextTransfer) {
    UseRange(DeviceKind::Std, 0, 3);
    drive->Registers[50005] = 55;
    const auto marker = std::make_shared<int>(7); // dies with the first completion's copy
    int firstMarker = 0;
    bool secondDone = false;
    driver->StartRead(TransferTarget::ScopeSettings, {}, [this, marker, &firstMarker, &secondDone] {
        driver->StartRead(TransferTarget::ActiveTable, {}, [&secondDone] { secondDone = true; });
        firstMarker = *marker; // still alive while it runs
    });
    ASSERT_TRUE(WaitFor([&] { return secondDone; }, 5000));
    EXPECT_EQ(std::tuple(firstMarker, driver->ScopeSettingsTable().FindByAddress(50005)->Value),
              std::tuple(7, 55));
    EXPECT_EQ(Reads(), (Pairs{{50000, 14}, {0, 4}}));
    WaitFor([&] { return driver->Mode() == WorkerMode::StatusPoll; }, 2000);
    EXPECT_EQ(driver->WaitIdle(), WorkerMode::StatusPoll);
}

// Written 2 and 4, read back 3 and 5, in table order. A write that stops part-way says how
// many of the registers it writes reached the drive.
TEST_F(TransferTest, FullWriteReadsBackNAndFEntriesAndSaysHowFarAFailedOneGot) {
    UseTable(DeviceKind::Std, {MakeEntry(2, 'A', 11), MakeEntry(3, 'N', 22), MakeEntry(4, 'D', 33),
                               MakeEntry(5, 'F', 44)});
    drive->Registers[3] = 500;
    drive->Registers[5] = 600;
    bool done = false;
    driver->StartWrite(
        TransferTarget::ActiveTable, [&] { ++progress; }, [&] { done = true; });
    ASSERT_TRUE(WaitFor([&] { return done; }));
    Pairs sequence;
    for (const auto& r : drive->Requests())
        sequence.emplace_back(r.function, r.firstRegister);
    EXPECT_EQ(sequence, (Pairs{{16, 2}, {3, 3}, {16, 4}, {3, 5}}));
    EXPECT_EQ(Written(), (Pairs{{2, 11}, {4, 33}}));
    EXPECT_EQ(std::tuple(Param(3).Value, Param(3).DriveValue, Param(5).Value, progress),
              std::tuple(500, 500, 600, 4));

    drive->Silent = {4};
    done = false;
    driver->StartWrite(TransferTarget::ActiveTable, nullptr, [&] { done = true; });
    ASSERT_TRUE(WaitFor([&] { return done; }));
    EXPECT_TRUE(messages.Texts().contains(
        "1 of 2 registers written; the drive holds a mix of old and new values."));
}

// Closing the progress dialog while a register is between the gate and the drive: the
// program shows off line only once that write is answered, and writes nothing after it.
TEST_F(TransferTest, GoingOffLineWaitsForTheWriteOnTheWire) {
    UseRange(DeviceKind::Std, 0, 20);
    std::atomic<int> admitted{0};
    driver->Gate().SetObserver([&](const GateRecord& record) {
        if (record.Admitted && ++admitted == 3)
            QThread::msleep(150); // the user closes the dialog now
    });
    bool done = false;
    driver->StartWrite(TransferTarget::ActiveTable, nullptr, [&] { done = true; });
    ASSERT_TRUE(WaitFor([&] { return admitted.load() >= 3; }));
    driver->Connection().On(SessionEvent::TransferClosed);
    const std::size_t writtenWhenOffLine = Written().size();
    ASSERT_TRUE(WaitFor([&] { return done; }));
    EXPECT_EQ(std::tuple(writtenWhenOffLine, Written().size()), std::tuple(3ul, 3ul));
}

// Polling off line: idle. The failed block still counts as progress; nothing after it is
// requested.
TEST_F(TransferTest, FailureMidWayGoesOffLineAndStillCallsDone) {
    UseRange(DeviceKind::Std, 0, 70);
    drive->Silent = {40};
    ASSERT_TRUE(RunRead(TransferTarget::ActiveTable));
    EXPECT_TRUE(!driver->Online() && driver->Mode() == WorkerMode::Idle);
    EXPECT_GE(host.ConfigureCount(), 1);
    EXPECT_TRUE(messages.Texts().contains(QStringLiteral("Device not Respondig")));
    EXPECT_EQ(std::pair(progress, Reads().back().first), std::pair(64, 32));
}

// An error raised inside a read or write step abandons the transfer without done; one raised
// inside a progress callback ends it, after the block, with done. So does one inside the
// capture upload (how its own steps run is ScopeCaptureTest's).
TEST_F(TransferTest, ErrorInsideAStepOrAProgressCallback) {
    const struct {
        TransferTarget target;
        bool write, inProgress;
        const char* message;
        bool done;
        int progress, reads; // -1: not checked
    } cases[] = {{TransferTarget::ActiveTable, false, false, "Error Nr. 001", false, 32, -1},
                 {TransferTarget::ActiveTable, true, false, "Error Nr. 002", false, -1, -1},
                 {TransferTarget::ActiveTable, false, true, "Error Nr. 003", true, 20, 2},
                 {TransferTarget::Capture, false, false, "Error Nr. 004", false, -1, -1}};
    driver->SetStepBody(WorkerMode::CaptureUpload, [] { throw std::runtime_error("upload"); });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        UseRange(c.inProgress ? DeviceKind::Power : DeviceKind::Std, 0, 40);
        drive->ThrowAt = c.inProgress ? std::set<std::uint16_t>{} : std::set<std::uint16_t>{35};
        drive->ClearRequests();
        bool done = false;
        progress = 0;
        const auto onProgress = [&] {
            if (++progress == 20 && c.inProgress)
                throw std::runtime_error("page gone");
        };
        (driver.get()->*(c.write ? &TDriver::StartWrite : &TDriver::StartRead))(
            c.target, onProgress, [&] { done = true; });
        ASSERT_TRUE(WaitFor([&] { return messages.Texts().contains(c.message); }));
        ASSERT_TRUE(WaitFor([&] { return driver->Mode() == WorkerMode::StatusPoll; }));
        EXPECT_EQ(done, c.done);
        EXPECT_TRUE(driver->Online());
        EXPECT_TRUE(c.progress < 0 || progress == c.progress) << progress;
        EXPECT_TRUE(c.reads < 0 || Reads().size() == std::size_t(c.reads)) << Reads().size();
    }
}

} // namespace
} // namespace kelm::test
