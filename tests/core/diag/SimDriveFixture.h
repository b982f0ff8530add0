#pragma once

#include "core/common/Ticks.h"
#include "core/drive/CliDriverHost.h"
#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "core/seams/RecordingMessages.h"
#include "sim/channel/SimChannel.h"
#include "sim/engine/ControlCommands.h"
#include "sim/engine/SimSetup.h"
#include "ui/shell/WaitFor.h"

#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <vector>

namespace kelm::test {

// The in-memory channel, counting how often the port was opened.
class CountingSimChannel final : public sim::SimChannel {
public:
    using SimChannel::SimChannel;
    bool Open(const QString& path) override {
        ++opens;
        return SimChannel::Open(path);
    }
    std::atomic<int> opens{0};
};

// A drive model on the in-memory simulator (plain drive or a whole Tarn link) with the
// shipped configuration set; the test's main thread is the user-interface thread. Every
// request the simulator decodes is recorded.
class SimDriveFixture : public ::testing::Test {
protected:
    void Build(sim::SimKind kind, int units = -1) {
        sim::SetupOptions options;
        options.kind = kind;
        options.units = units;
        sim::KindTables tables;
        QString error;
        ASSERT_TRUE(sim::LoadTablesFor(kind, KELM_RUNTIME_DIR "/Bin", tables, error))
            << error.toStdString();
        engine = sim::BuildEngine(options, tables, TickCount(), error);
        ASSERT_TRUE(engine) << error.toStdString();
        engine->SetObserver([this](const sim::ExchangeRecord& record) {
            const std::lock_guard lock(recordsMutex);
            records.push_back(record);
        });
        auto channel = std::make_unique<CountingSimChannel>(engine);
        channelOpens = &channel->opens;
        master = std::make_unique<ModbusMaster>(std::move(channel),
                                                [](std::uint8_t) { return "/dev/sim"; });
        driver = std::make_unique<TDriver>(host, *master);
        host.SetDriver(driver.get());
        ASSERT_TRUE(driver->Initialize(KELM_RUNTIME_DIR "/", devices.path() + "/Devices/"));
    }
    void TearDown() override {
        if (driver) {
            driver->WaitIdle();
            EXPECT_EQ(driver->MasterConflicts(), 0);
        }
        EXPECT_EQ(host.WrongThreadCount(), 0);
        driver.reset();
        master.reset();
    }

    // A plain drive at address 1, on line.
    void GoOnlinePlain() {
        master->DeviceAddress = 1;
        ASSERT_TRUE(master->OpenPort(1, 19200, false, 2));
        driver->SetOnline(true);
    }

    void Control(const QString& line) {
        auto lock = engine->Lock();
        const sim::ControlResult result = sim::ApplyControlCommand(*engine, line, TickCount());
        EXPECT_TRUE(result.ok) << result.message.toStdString();
    }
    std::vector<sim::ExchangeRecord> Records() {
        const std::lock_guard lock(recordsMutex);
        return records;
    }
    void ClearRecords() {
        const std::lock_guard lock(recordsMutex);
        records.clear();
    }
    std::uint16_t SimRegister(std::uint8_t address, std::uint16_t reg) {
        auto lock = engine->Lock();
        sim::Device* device = engine->FindDevice(address);
        return device != nullptr ? device->Registers().Get(reg) : 0;
    }
    void SetSimRegister(std::uint8_t address, std::uint16_t reg, std::uint16_t value) {
        auto lock = engine->Lock();
        if (sim::Device* device = engine->FindDevice(address))
            device->Registers().Set(reg, value);
    }

    RecordingMessages messages;
    QTemporaryDir devices;
    std::shared_ptr<sim::Engine> engine;
    std::unique_ptr<ModbusMaster> master;
    std::atomic<int>* channelOpens = nullptr;
    CliDriverHost host;
    std::unique_ptr<TDriver> driver;
    std::mutex recordsMutex;
    std::vector<sim::ExchangeRecord> records;
};

} // namespace kelm::test
