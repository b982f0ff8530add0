#include "../diag/SimDriveFixture.h"

namespace kelm::test {

using LateReplies = SimDriveFixture;

// The program's worker reads two equal blocks while every reply comes 400 ms late. The first
// takes its own late reply on the second try; the second never takes the first's: it waits
// until the late replies are due.
TEST_F(LateReplies, WorkerTableReadKeepsEachBlocksOwnValues) {
    ASSERT_NO_FATAL_FAILURE(Build(sim::SimKind::Std));
    GoOnlinePlain();
    driver->ActiveTable().Clear();
    for (const std::uint16_t a : {300, 301, 400, 401}) {
        driver->ActiveTable().Add({"R", 'E', 'A', a, -32768, 32767, 0, -1, 0, -1});
        SetSimRegister(1, a, a * 7);
    }
    Control("delay 400");
    bool done = false;
    const std::uint32_t start = TickCount();
    driver->StartRead(TransferTarget::ActiveTable, {}, [&] { done = true; });
    ASSERT_TRUE(WaitFor([&] { return done; }, 30000));
    EXPECT_GT(TickCount() - start, LateReplyGuard::LateReplyMs);
    for (int i = 0; i < 4; ++i) {
        const ParamEntry& e = driver->ActiveTable().At(i);
        EXPECT_TRUE(e.DriveValue == e.Address * 7 || (i > 1 && e.DriveValue == -1)) << i;
    }
}

} // namespace kelm::test
