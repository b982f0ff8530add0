#include "core/drive/diag/DiagnosticCycle.h"
#include "core/diag/SimDriveFixture.h"

#include <set>

namespace kelm::test {
namespace {

class DiagnosticCycleTest : public SimDriveFixture {
protected:
    void SetUp() override {
        Build(sim::SimKind::Std);
        GoOnlinePlain();
        cycle = std::make_unique<DiagnosticCycle>(*driver, DiagnosticCycle::PlainLine{19200, 2});
        DiagnosticCycle::Observer observer;
        observer.RowRead = [this](int row, std::uint16_t value) {
            rowsRead.push_back(row);
            lastValue[row] = value;
        };
        observer.WriteDone = [this](int row) { writesDone.push_back(row); };
        observer.Counters = [this](std::uint32_t req, std::uint32_t ok, std::uint32_t fail) {
            requests = req;
            replies = ok;
            failures = fail;
        };
        observer.PassComplete = [this] { ++passes; };
        observer.LinkLostChanged = [this](bool lost) { lostChanges.push_back(lost); };
        cycle->SetObserver(observer);
        cycle->Install();
    }
    void TearDown() override {
        if (driver)
            driver->WaitIdle();
        cycle.reset();
        SimDriveFixture::TearDown();
    }

    // Addresses of the reads the simulator saw.
    std::vector<std::uint16_t> ReadAddresses() {
        std::vector<std::uint16_t> out;
        for (const sim::ExchangeRecord& r : Records())
            if (r.function == 3)
                out.push_back(r.firstRegister);
        return out;
    }
    std::set<std::uint16_t> AddressesOfRows(int first, int count) {
        std::set<std::uint16_t> out;
        for (int row = first; row < first + count; ++row)
            out.insert(driver->ActiveTable().At(row).Address);
        return out;
    }
    // Index of the first plain parameter row (written and kept by the drive).
    int WritableRow() {
        const ParamTable& table = driver->ActiveTable();
        for (int row = 0; row < table.Count(); ++row) {
            const ParamEntry& e = table.At(row);
            if (e.KindLetter == 'A' && e.Address > 6 && e.Address < 40 && e.MaxValue > 200)
                return row;
        }
        return -1;
    }

    std::unique_ptr<DiagnosticCycle> cycle;
    std::vector<int> rowsRead;
    std::map<int, std::uint16_t> lastValue;
    std::vector<int> writesDone;
    std::vector<bool> lostChanges;
    std::uint32_t requests = 0, replies = 0, failures = 0;
    int passes = 0;
};

TEST_F(DiagnosticCycleTest, PollsOnlyTheVisibleRows) {
    ASSERT_GT(driver->ActiveTable().Count(), 30);
    cycle->SetVisibleRows({3, 4});
    driver->SetMode('D');
    EXPECT_EQ(driver->ModeLetter(), 'D');
    ASSERT_TRUE(WaitFor([&] { return passes >= 3; }));
    ClearRecords();
    ASSERT_TRUE(WaitFor([&] { return passes >= 5; }));
    // Exactly the visible rows' registers. (How a scroll moves the walk is DiagRowWalkTest's.)
    const std::vector<std::uint16_t> seen = ReadAddresses();
    EXPECT_EQ(std::set<std::uint16_t>(seen.begin(), seen.end()), AddressesOfRows(3, 4));
    driver->WaitIdle();
    // Counters follow the master; every request was answered.
    EXPECT_GT(requests, 10u);
    EXPECT_EQ(std::tuple(replies, failures), std::tuple(requests, 0u));
    EXPECT_TRUE(messages.Texts().isEmpty());
}

TEST_F(DiagnosticCycleTest, ShowsWhatTheDriveHolds) {
    const int row = WritableRow();
    ASSERT_GE(row, 0);
    const std::uint16_t address = driver->ActiveTable().At(row).Address;
    SetSimRegister(1, address, 0xFFFF);
    cycle->SetVisibleRows({row, 1});
    driver->SetMode('D');
    ASSERT_TRUE(WaitFor([&] { return lastValue.count(row) > 0; }));
    driver->WaitIdle();
    EXPECT_EQ(lastValue[row], 0xFFFF);
    const ParamEntry& entry = driver->ActiveTable().At(row);
    EXPECT_EQ(std::tuple(entry.DriveValue, entry.Value), std::tuple(-1, -1));
}

TEST_F(DiagnosticCycleTest, QueuedWriteReachesTheDriveOnTheRowsVisit) {
    const int row = WritableRow();
    ASSERT_GE(row, 0);
    const std::uint16_t address = driver->ActiveTable().At(row).Address;
    EXPECT_TRUE(cycle->QueueWrite(row, 123));
    // One value waits already; rows outside the table.
    EXPECT_FALSE(cycle->QueueWrite(row, 77) || cycle->QueueWrite(-1, 1) ||
                 cycle->QueueWrite(driver->ActiveTable().Count(), 1));
    ASSERT_EQ(cycle->PendingWrite(row), std::optional<std::int16_t>(123));

    // Not visible: the value waits.
    const int other = row + 5;
    cycle->SetVisibleRows({other, 2});
    driver->SetMode('D');
    ASSERT_TRUE(WaitFor([&] { return passes >= 3; }));
    EXPECT_TRUE(writesDone.empty());
    EXPECT_EQ(cycle->PendingWrite(row), std::optional<std::int16_t>(123));
    EXPECT_NE(SimRegister(1, address), 123);

    cycle->SetVisibleRows({row, 2});
    ASSERT_TRUE(WaitFor([&] { return !writesDone.empty(); }));
    ASSERT_TRUE(WaitFor([&] { return lastValue.count(row) && lastValue[row] == 123; }));
    driver->WaitIdle();
    EXPECT_EQ(writesDone, std::vector<int>{row});
    EXPECT_EQ(SimRegister(1, address), 123);
    EXPECT_FALSE(cycle->PendingWrite(row).has_value());
}

TEST_F(DiagnosticCycleTest, ReconnectsWhenTheDriveAnswersAgain) {
    cycle->SetVisibleRows({0, 5});
    driver->SetMode('D');
    ASSERT_TRUE(WaitFor([&] { return passes >= 1; }));
    const int configured = host.ConfigureCount();
    Control(QStringLiteral("silent * on"));
    ASSERT_TRUE(WaitFor([&] { return cycle->LinkLost(); }));
    ASSERT_TRUE(WaitFor([&] { return !driver->Online(); }));
    EXPECT_EQ(driver->ModeLetter(), 'D'); // the window stays and keeps trying
    ASSERT_TRUE(WaitFor([&] { return messages.Texts().contains("Device not Respondig"); }));
    ASSERT_TRUE(WaitFor([&] { return lostChanges == std::vector<bool>{true}; }));

    // Silent for a while: only register 0 is probed, one attempt (three tries) at a time,
    // attempts at least 500 ms apart; no flood of requests.
    WaitFor([] { return false; }, 1200);
    ClearRecords();
    WaitFor([] { return false; }, 2000);
    const std::vector<sim::ExchangeRecord> probes = Records();
    EXPECT_GE(probes.size(), 3u);
    EXPECT_LE(probes.size(), 15u);
    for (const sim::ExchangeRecord& r : probes) {
        EXPECT_EQ(r.firstRegister, 0);
        EXPECT_FALSE(r.answered);
    }

    const std::size_t readBefore = rowsRead.size();
    Control(QStringLiteral("silent * off"));
    ASSERT_TRUE(WaitFor([&] { return !cycle->LinkLost(); }));
    EXPECT_TRUE(driver->Online() && master->IsPortOpen());
    EXPECT_GT(host.ConfigureCount(), configured);
    ASSERT_TRUE(WaitFor([&] { return rowsRead.size() > readBefore + 5; }));
    driver->WaitIdle();
    EXPECT_EQ(lostChanges, (std::vector<bool>{true, false}));
    EXPECT_GT(failures, 0u);
}

TEST_F(DiagnosticCycleTest, SetModeStartsAtRowZeroAndResetsCounters) {
    master->RequestCount = 99;
    cycle->SetVisibleRows({0, 3});
    driver->SetMode('D');
    ASSERT_TRUE(WaitFor([&] { return !rowsRead.empty(); }));
    driver->WaitIdle();
    EXPECT_EQ(rowsRead.front(), 0);
    EXPECT_LT(requests, 99u);
    // Off line the mode does not start.
    driver->SetOnline(false);
    driver->SetMode('D');
    EXPECT_EQ(driver->ModeLetter(), 0);
}

} // namespace
} // namespace kelm::test
