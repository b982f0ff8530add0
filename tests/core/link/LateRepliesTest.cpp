#include "../diag/SimDriveFixture.h"

namespace kelm::test {

using LateReplies = SimDriveFixture;

// The program's worker reads two equal blocks while every reply comes 400 ms late. The first
// takes its own late reply on the second try; the second never takes the first's: a plain read
// waits until the late replies are due, a link read need not (its reply names the register).
TEST_F(LateReplies, WorkerTableReadKeepsEachBlocksOwnValues) {
    for (const bool link : {false, true}) {
        driver.reset(), master.reset();
        ASSERT_NO_FATAL_FAILURE(Build(link ? sim::SimKind::Link : sim::SimKind::Std));
        const DeviceKind kind = link ? DeviceKind::Drive : DeviceKind::Std;
        ASSERT_TRUE(master->OpenPort(1, 19200, link, 2));
        master->DeviceAddress = link ? 2 : 1;
        driver->KindTable(kind).Clear();
        for (const std::uint16_t a : {300, 301, 400, 401}) {
            driver->KindTable(kind).Add({"R", 'E', 'A', a, -32768, 32767, 0, -1, 0, -1});
            SetSimRegister(master->DeviceAddress, a, a * 7);
        }
        driver->SelectDeviceKind(kind, false);
        driver->SetOnline(true);
        Control("delay 400");
        bool done = false;
        const std::uint32_t start = TickCount();
        driver->StartRead('D', {}, [&] { done = true; });
        ASSERT_TRUE(WaitFor([&] { return done; }, 30000));
        EXPECT_EQ(TickCount() - start > LateReplyGuard::LateReplyMs, !link) << TickCount() - start;
        for (int i = 0; i < 4; ++i) {
            const ParamEntry& e = driver->ActiveTable().At(i);
            EXPECT_TRUE(e.DriveValue == e.Address * 7 || (i > 1 && e.DriveValue == -1)) << link;
        }
    }
}

} // namespace kelm::test
