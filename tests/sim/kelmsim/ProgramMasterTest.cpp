// The program's own serial master (termios2 channel) against kelmsim over the terminal.

#include "SimProcess.h"

#include "core/link/ModbusMaster.h"
#include "core/link/PosixSerialChannel.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kelm;
using namespace kelm::sim::test;

namespace {

std::unique_ptr<ModbusMaster> MasterFor(const QString& path) {
    return std::make_unique<ModbusMaster>(std::make_unique<PosixSerialChannel>(),
                                          [path](std::uint8_t) { return path; });
}

} // namespace

TEST(KelmsimProgramMaster, PlainDriveWithEvenParityAndTheEepromHandshake) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({QStringLiteral("--cmd-delay"), QStringLiteral("100")}));
    auto master = MasterFor(sim.Path());
    ASSERT_TRUE(master->OpenPort(1, 19200, false, 2));
    master->DeviceAddress = 1;
    std::uint16_t value = 0;
    ASSERT_TRUE(master->ReadRegisters(0, &value, 1, 100, false));
    EXPECT_EQ(value, 0x0401);
    const std::uint16_t save = 0x02;
    ASSERT_TRUE(master->WriteRegisters(69, &save, 1, 200, false));
    ASSERT_TRUE(master->ReadRegisters(69, &value, 1, 100, false));
    EXPECT_EQ(value, save); // still working
    QElapsedTimer timer;
    timer.start();
    while (value != 0 && timer.elapsed() < 3000) {
        ASSERT_TRUE(master->ReadRegisters(69, &value, 1, 100, false));
    }
    EXPECT_EQ(value, 0);
    EXPECT_GE(timer.elapsed(), 50); // the bits stayed while the drive was working
    // Close and open again: the simulator keeps its end of the terminal working.
    master->ClosePort();
    ASSERT_TRUE(master->OpenPort(1, 19200, false, 2));
    EXPECT_TRUE(master->ReadRegisters(12, &value, 1, 100, false));
    EXPECT_EQ(sim.Terminate(), 0);
}

TEST(KelmsimProgramMaster, LinkUnitsAndFaultsFromTheControlFifo) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("ctl"));
    SimProcess sim;
    ASSERT_TRUE(sim.Start(
        {QStringLiteral("--kind"), QStringLiteral("link"), QStringLiteral("--control"), fifo}));
    auto master = MasterFor(sim.Path());
    ASSERT_TRUE(master->OpenPort(1, 115200, true, 0));
    master->DeviceAddress = 10;
    std::uint16_t units = 0;
    ASSERT_TRUE(master->ReadRegisters(6, &units, 1, 100, false));
    EXPECT_EQ(units, 3);
    master->DeviceAddress = 13;
    std::uint16_t block[5] = {};
    ASSERT_TRUE(master->ReadRegisters(116, block, 5, 100, false));

    ASSERT_TRUE(SendControl(fifo, QStringLiteral("wrongaddr on")));
    EXPECT_FALSE(master->ReadRegisters(116, block, 5, 100, false));
    EXPECT_EQ(master->FailureCount, 3U);
    ASSERT_TRUE(SendControl(fifo, QStringLiteral("faults off")));
    ASSERT_TRUE(SendControl(fifo, QStringLiteral("alarm 13 0x3")));
    ASSERT_TRUE(master->ReadRegisters(116, block, 5, 100, false));
    EXPECT_EQ(block[0], 3);
    EXPECT_EQ(block[3], 3);
    const std::uint16_t zero = 0;
    ASSERT_TRUE(master->WriteRegisters(119, &zero, 1, 100, false));
    ASSERT_TRUE(master->ReadRegisters(116, block, 5, 100, false));
    EXPECT_EQ(block[3], 0);
    EXPECT_EQ(sim.Terminate(), 0);
}
