// The master against the drive simulator over a pseudo-terminal, with a reply delay switched
// through its control FIFO: the deadlines against the time a request really takes on the
// line. Bad and lost replies are the core's fake channel's; a silent drive and the link mode
// are met end to end by the program's and kelmctl's tests.
#include "core/common/Ticks.h"
#include "core/link/ModbusMaster.h"
#include "core/link/PosixSerialChannel.h"
#include "core/seams/RecordingMessages.h"
#include "sim/kelmsim/SimProcess.h"

#include <gtest/gtest.h>

#include <array>
#include <thread>

using namespace kelm;
using kelm::sim::test::SimProcess;

namespace {

class SimulatorLink : public ::testing::Test {
protected:
    void Start(std::uint32_t baud) {
        sim = std::make_unique<SimProcess>();
        ASSERT_TRUE(sim->Start({}, false));
        const QString path = sim->Path();
        master = std::make_unique<ModbusMaster>(std::make_unique<PosixSerialChannel>(),
                                                [path](std::uint8_t) { return path; });
        ASSERT_TRUE(master->OpenPort(1, baud, false, 2));
        master->DeviceAddress = 1;
    }

    bool Read(std::uint16_t address, std::uint16_t& value, std::uint32_t timeoutMs = 100) {
        return master->ReadRegisters(address, &value, 1, timeoutMs, false);
    }

    RecordingMessages messages;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<ModbusMaster> master;
};

} // namespace

TEST_F(SimulatorLink, LateRepliesAgainstTheFirstByteDeadline) {
    Start(19200);
    std::uint16_t value = 0;
    ASSERT_TRUE(sim->Command("delay 90"));
    EXPECT_TRUE(Read(2, value, 100)); // the first byte may take 150 ms
    ASSERT_TRUE(sim->Command("delay 400"));
    // One try gives up at 150 ms. (With retries the late reply would land in a later try's
    // window and be taken: it answers the same request.)
    std::uint32_t start = TickCount();
    EXPECT_FALSE(master->ReadRegistersOnce(2, &value, 1, 100));
    EXPECT_LT(TickCount() - start, 400u);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    start = TickCount();
    EXPECT_TRUE(master->ReadRegistersOnce(2, &value, 1, 700));
    EXPECT_GE(TickCount() - start, 380u);
    // The window opens when the request has left the line (335 ms at 2400 baud): in time.
    Start(2400);
    ASSERT_TRUE(sim->Command("delay 375"));
    const std::array<std::uint16_t, 32> block{};
    EXPECT_TRUE(master->WriteRegistersOnce(300, block.data(), 32, 100));
}
