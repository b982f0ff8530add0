#include "core/drive/diag/DiagnosticCycle.h"
#include "core/diag/SimDriveFixture.h"
#include "core/drive/diag/DiagRowWalk.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace kelm::test {
namespace {

class DiagnosticCycleTest : public SimDriveFixture {
protected:
    void SetUp() override {
        Build(sim::SimKind::Std);
        GoOnlinePlain();
        cycle = std::make_unique<DiagnosticCycle>(*driver, DiagnosticCycle::PlainLine{19200, 2});
        DiagnosticCycle::Observer o;
        o.RowRead = [this](int row, std::uint16_t v) {
            rowsRead.push_back(row), lastValue[row] = v;
        };
        o.WriteDone = [this](int row) { writesDone.push_back(row); };
        o.Counters = [this](auto... c) { counters = {c...}; };
        o.PassComplete = [this] { ++passes; };
        o.LinkLostChanged = [this](bool lost) { lostChanges.push_back(lost); };
        cycle->SetObserver(o);
        cycle->Install();
    }
    void ReleaseUsers() override { cycle.reset(); }
    // Indexes of the first plain parameter rows (written and kept by the drive).
    std::vector<int> WritableRows() {
        std::vector<int> rows;
        for (int row = 0; row < driver->ActiveTable().Count(); ++row) {
            const ParamEntry& e = driver->ActiveTable().At(row);
            if (e.KindLetter == 'A' && e.Address > 6 && e.Address < 40 && e.MaxValue > 200)
                rows.push_back(row);
        }
        return rows;
    }
    std::uint16_t AddressOf(int row) { return driver->ActiveTable().At(row).Address; }

    std::unique_ptr<DiagnosticCycle> cycle;
    std::vector<int> rowsRead;
    std::map<int, std::uint16_t> lastValue;
    std::vector<int> writesDone;
    std::vector<bool> lostChanges;
    std::array<std::uint32_t, 3> counters{}; // requests, replies, failures
    int passes = 0;
};

TEST_F(DiagnosticCycleTest, ShowsTheDrivesValueAndWritesAQueuedOneOnTheRowsVisit) {
    const std::vector<int> rows = WritableRows();
    ASSERT_GE(rows.size(), 2u);
    const int row = rows[0], other = rows[1];
    SetSimRegister(1, AddressOf(other), 0xFFFF);
    EXPECT_TRUE(cycle->QueueWrite(row, 123));
    // One value waits already; rows outside the table.
    EXPECT_FALSE(cycle->QueueWrite(row, 77) || cycle->QueueWrite(-1, 1) ||
                 cycle->QueueWrite(driver->ActiveTable().Count(), 1));

    cycle->SetVisibleRows({other, 1});
    driver->SetMode(WorkerMode::Diagnostic);
    ASSERT_TRUE(WaitFor([&] { return passes >= 3; }));
    EXPECT_EQ(lastValue[other], 0xFFFF);
    EXPECT_TRUE(writesDone.empty() && SimRegister(1, AddressOf(row)) != 123);

    cycle->SetVisibleRows({row, 2});
    ASSERT_TRUE(WaitFor([&] { return !writesDone.empty(); }));
    ASSERT_TRUE(WaitFor([&] { return lastValue.count(row) && lastValue[row] == 123; }));
    EXPECT_EQ(driver->WaitIdle(), WorkerMode::Diagnostic);
    EXPECT_EQ(std::tuple(writesDone, SimRegister(1, AddressOf(row)), cycle->PendingWrite(row)),
              std::tuple(std::vector<int>{row}, 123, std::optional<std::int16_t>()));
    const ParamEntry& entry = driver->ActiveTable().At(other);
    EXPECT_EQ(std::tuple(entry.DriveValue, entry.Value), std::tuple(-1, -1));
}

// The mode starts at row zero with fresh counters and polls only the visible rows; a silent
// drive is probed until it answers.
TEST_F(DiagnosticCycleTest, PollsTheVisibleRowsAndReconnectsWhenTheDriveAnswersAgain) {
    std::uint16_t value = 0;
    for (int i = 0; i < 99; ++i) // counts the mode must forget
        master->ReadRegistersOnce(0, &value, 1, 100);
    cycle->SetVisibleRows({3, 4});
    driver->SetMode(WorkerMode::Diagnostic);
    EXPECT_EQ(driver->Mode(), WorkerMode::Diagnostic);
    ASSERT_TRUE(WaitFor([&] { return passes >= 3; }));
    EXPECT_EQ(rowsRead.front(), 0);
    ClearRecords();
    ASSERT_TRUE(WaitFor([&] { return passes >= 5; }));
    // Exactly the visible rows' registers. (How a scroll moves the walk is DiagRowWalkTest's.)
    std::set<std::uint16_t> seen, visible;
    for (const sim::ExchangeRecord& r : Records())
        seen.insert(r.firstRegister);
    for (int row = 3; row < 7; ++row)
        visible.insert(AddressOf(row));
    EXPECT_EQ(seen, visible);
    // Counters follow the master from zero; every request was answered.
    EXPECT_TRUE(counters[0] > 10 && counters[0] < 99) << counters[0];
    EXPECT_EQ(std::pair(counters[1], counters[2]), std::pair(counters[0], 0u));
    EXPECT_TRUE(messages.Texts().isEmpty());
    const int configured = host.ConfigureCount();
    Control("silent * on");
    ASSERT_TRUE(WaitFor([&] { return cycle->LinkLost() && !driver->Online(); }, 15000));
    EXPECT_EQ(driver->Mode(), WorkerMode::Diagnostic); // the window stays and keeps trying
    ASSERT_TRUE(WaitFor([&] { return messages.Texts().contains("Device not Respondig"); }));
    ASSERT_TRUE(WaitFor([&] { return lostChanges == std::vector<bool>{true}; }));

    // Silent for a while: only register 0 is probed, one attempt (three tries) at a time,
    // attempts at least 500 ms apart; no flood of requests.
    WaitFor([] { return false; }, 1200 + LateReplyGuard::LateReplyMs); // late replies due first
    ClearRecords();
    WaitFor([] { return false; }, 2000);
    const std::vector<sim::ExchangeRecord> probes = Records();
    EXPECT_TRUE(probes.size() >= 3 && probes.size() <= 15) << probes.size();
    for (const sim::ExchangeRecord& r : probes)
        EXPECT_TRUE(r.firstRegister == 0 && !r.answered);

    const std::size_t readBefore = rowsRead.size();
    Control("silent * off");
    ASSERT_TRUE(WaitFor([&] { return !cycle->LinkLost(); }, 15000));
    EXPECT_TRUE(driver->Online() && master->IsPortOpen());
    EXPECT_GT(host.ConfigureCount(), configured);
    ASSERT_TRUE(WaitFor([&] { return rowsRead.size() > readBefore + 5; }));
    driver->WaitIdle();
    EXPECT_EQ(lostChanges, (std::vector<bool>{true, false}));
    EXPECT_GT(counters[2], 0u);
}

TEST(DiagRowWalk, StepsThroughTheVisibleRowsAndMarksEachPass) {
    struct Case {
        const char* Name;
        int From, Rows;
        VisibleRows Visible;
        std::vector<int> Next;
        std::vector<bool> Passes;
    } const cases[] = {
        {"only the visible rows", 0, 20, {5, 3}, {5, 6, 7, 5, 6, 7, 5}, {1, 0, 0, 1, 0, 0, 1}},
        {"around the table end", 9, 10, {8, 2}, {8, 9, 8}, {1, 0, 1}},
        {"a range past the end is cut", 7, 10, {8, 5}, {8, 9, 8}, {1, 0, 1}},
        {"a scroll starts a pass there", 3, 30, {12, 4}, {12, 13}, {1, 0}},
        {"one visible row", 4, 10, {4, 1}, {4, 4, 4}, {1, 1, 1}},
        // No visible row: step on instead of looping, never a pass.
        {"nothing visible", 3, 10, {0, 0}, {4}, {0}},
        {"empty table", 5, 0, {0, 10}, {0}, {0}},
        {"range clipped to 0..1", -3, 10, {-5, 7}, {0}, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<int> next;
        std::vector<bool> passes;
        for (int row = c.From; next.size() < c.Next.size();) {
            bool pass = false;
            next.push_back(row = NextDiagRow(row, c.Rows, c.Visible, pass));
            passes.push_back(pass);
        }
        EXPECT_EQ(next, c.Next);
        EXPECT_EQ(passes, c.Passes);
    }
}

} // namespace
} // namespace kelm::test
