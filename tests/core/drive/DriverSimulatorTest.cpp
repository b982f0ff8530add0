// The drive model with the shipped configuration against the simulator engine, wired
// in-process through SimChannel.
#include "core/common/Ticks.h"
#include "core/drive/CliDriverHost.h"
#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "core/seams/RecordingMessages.h"
#include "sim/channel/SimChannel.h"
#include "sim/engine/SimSetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kelm {
namespace {

class DriverSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        const QString bin = QStringLiteral(KELM_RUNTIME_DIR) + QStringLiteral("/Bin/");
        if (!QFileInfo::exists(bin + "device.dll"))
            GTEST_SKIP() << "no shipped Bin/ set";
        sim::KindTables tables;
        QString error;
        ASSERT_TRUE(sim::LoadTablesFor(sim::SimKind::Std, bin, tables, error))
            << error.toStdString();
        sim::SetupOptions options;
        engine =
            std::shared_ptr<sim::Engine>(sim::BuildEngine(options, tables, TickCount(), error));
        ASSERT_TRUE(engine) << error.toStdString();
        auto channel = std::make_unique<sim::SimChannel>(engine);
        device = engine->FindDevice(1);
        ASSERT_NE(device, nullptr);
        master = std::make_unique<ModbusMaster>(std::move(channel),
                                                [](std::uint8_t) { return QStringLiteral("sim"); });
        ASSERT_TRUE(master->OpenPort(1, 19200, false, 2));
        master->DeviceAddress = 1;
        driver = std::make_unique<TDriver>(host, *master);
        host.SetDriver(driver.get());
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(driver->Initialize(QStringLiteral(KELM_RUNTIME_DIR) + "/",
                                       folder.path() + "/Devices/"));
        driver->SetOnline(true);
    }
    void TearDown() override {
        if (driver) {
            EXPECT_EQ(driver->MasterConflicts(), 0);
        }
        driver.reset();
    }

    bool ReadAll() {
        bool done = false;
        driver->StartRead('D', nullptr, [&] { done = true; });
        const std::uint32_t start = TickCount();
        while (!done && TickCount() - start < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        driver->WaitIdle();
        return done && driver->Online();
    }

    RecordingMessages messages;
    QTemporaryDir folder;
    std::shared_ptr<sim::Engine> engine;
    sim::Device* device = nullptr;
    std::unique_ptr<ModbusMaster> master;
    CliDriverHost host;
    std::unique_ptr<TDriver> driver;
};

// Whole-table reads and the EEPROM handshake against the simulator run through kelmctl
// in the end-to-end tests.
TEST_F(DriverSimulator, ResetAlarmsClearsTheHistoricWords) {
    ASSERT_TRUE(ReadAll());
    EXPECT_EQ(driver->ActiveTable().FindByAddress(2)->DriveValue, 1); // its address
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Texts().join("|").toStdString();
    {
        const auto lock = engine->Lock();
        device->SetAlarms(0x5);
    }
    const KindRegisters regs = driver->Registers();
    ASSERT_TRUE(driver->ReadParam(regs.HistoricAlarmLow, true));
    EXPECT_NE(driver->ActiveTable().FindByAddress(regs.HistoricAlarmLow)->DriveValue, 0);
    EXPECT_TRUE(driver->ResetAlarms());
    ASSERT_TRUE(driver->ReadParam(regs.HistoricAlarmLow, true));
    EXPECT_EQ(driver->ActiveTable().FindByAddress(regs.HistoricAlarmLow)->DriveValue, 0);
}

} // namespace
} // namespace kelm
