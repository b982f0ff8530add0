#pragma once

#include "common/RecordedSim.h"
#include "core/common/Ticks.h"
#include "core/drive/CliDriverHost.h"
#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "core/seams/RecordingMessages.h"
#include "sim/channel/SimChannel.h"
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
class SimDriveFixture : public ::testing::Test, public RecordedSim {
protected:
    void Build(sim::SimKind kind, int units = -1) {
        ASSERT_NO_FATAL_FAILURE(BuildSim(kind, KELM_RUNTIME_DIR "/Bin", units));
        auto channel = std::make_unique<CountingSimChannel>(engine);
        channelOpens = &channel->opens;
        master = std::make_unique<ModbusMaster>(std::move(channel),
                                                [](std::uint8_t) { return "/dev/sim"; });
        driver = std::make_unique<TDriver>(host, *master);
        host.SetDriver(driver.get());
        ASSERT_TRUE(driver->Initialize(KELM_RUNTIME_DIR "/", devices.path() + "/Devices/"));
    }
    // Frees what the test built on the driver, once the worker rests.
    virtual void ReleaseUsers() {}
    void TearDown() override {
        if (driver) {
            driver->WaitIdle();
            ReleaseUsers();
            EXPECT_EQ(driver->MasterConflicts(), 0);
        }
        EXPECT_EQ(host.WrongThreadCount(), 0);
        driver.reset();
        master.reset();
    }

    // A plain drive at address 1, on line.
    void GoOnlinePlain() {
        master->SelectUnit(1);
        ASSERT_TRUE(master->OpenPort(1, 19200, false, 2));
        driver->SetOnline(true);
    }

    RecordingMessages messages;
    QTemporaryDir devices;
    std::unique_ptr<ModbusMaster> master;
    std::atomic<int>* channelOpens = nullptr;
    CliDriverHost host;
    std::unique_ptr<TDriver> driver;
};

} // namespace kelm::test
