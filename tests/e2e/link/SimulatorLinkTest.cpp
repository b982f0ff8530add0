// The master against kelmsim on a pseudo-terminal at 2400 baud: the reply window opens once the
// request has left the line (335 ms for 32 registers), so a reply 375 ms late is in time. The
// deadlines themselves are the core's fake channel's to check.
#include "core/link/ModbusMaster.h"
#include "core/link/PosixSerialChannel.h"
#include "core/seams/RecordingMessages.h"
#include "sim/kelmsim/SimProcess.h"

#include <gtest/gtest.h>

#include <array>

using namespace kelm;

TEST(SimulatorLink, TheReplyWindowOpensWhenTheRequestHasLeftTheLine) {
    RecordingMessages messages;
    sim::test::SimProcess sim;
    ASSERT_TRUE(sim.Start({}, false));
    const QString path = sim.Path();
    ModbusMaster master(std::make_unique<PosixSerialChannel>(),
                        [path](std::uint8_t) { return path; });
    ASSERT_TRUE(master.OpenPort(1, 2400, false, 2));
    master.DeviceAddress = 1;
    ASSERT_TRUE(sim.Command("delay 375"));
    const std::array<std::uint16_t, 32> block{};
    EXPECT_TRUE(master.WriteRegistersOnce(300, block.data(), 32, 100));
    EXPECT_TRUE(messages.Boxes().empty());
}
