#pragma once

#include "../link/FakeSerialChannel.h"
#include "core/common/Ticks.h"
#include "core/drive/CliDriverHost.h"
#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "core/seams/RecordingMessages.h"
#include "sim/engine/Frames.h"
#include "ui/shell/WaitFor.h"

#include <QCoreApplication>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>

namespace kelm::test {

using Pairs = std::vector<std::pair<int, int>>;

// A drive answering function 3 and 16 from a register map, as the responder of the scripted
// line. Records every request. Addresses in Silent make it stay quiet; a request touching
// ThrowAt throws (an error raised inside a transfer step). The Clearing register clears the
// bits as soon as they are written, and OnWrite may change the map after a write to the given
// address (the command handshake of a drive).
class RegisterMapDrive {
public:
    Delivery Answer(std::span<const std::uint8_t> data) {
        std::lock_guard lock(mutex_);
        const sim::DecodeResult decoded =
            sim::DecodeRequest(sim::FrameVariant::Plain, data.data(), data.size());
        if (decoded.status != sim::DecodeStatus::Valid)
            return {};
        const sim::Request& r = requests_.emplace_back(decoded.request);
        std::vector<std::uint16_t> values;
        for (int i = 0; i < r.count; ++i) {
            const auto address = static_cast<std::uint16_t>(r.firstRegister + i);
            if (ThrowAt.count(address))
                throw std::runtime_error("channel failure");
            if (Silent.count(address))
                return {};
            values.push_back(Registers[address]);
        }
        if (r.function == sim::FunctionRead)
            return {
                sim::EncodeReadReply(sim::FrameVariant::Plain, r.address, r.firstRegister, values)};
        for (std::size_t i = 0; i < r.values.size(); ++i)
            Registers[static_cast<std::uint16_t>(r.firstRegister + i)] = r.values[i];
        if (Clearing == r.firstRegister)
            Registers[r.firstRegister] = 0;
        if (OnWrite)
            OnWrite(r.firstRegister);
        return {
            sim::EncodeWriteReply(sim::FrameVariant::Plain, r.address, r.firstRegister, r.count)};
    }

    std::vector<sim::Request> Requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    void ClearRequests() {
        std::lock_guard lock(mutex_);
        requests_.clear();
    }

    // Set up before the driver runs; read/written under the drive's own lock.
    std::map<std::uint16_t, std::uint16_t> Registers;
    std::set<std::uint16_t> Silent, ThrowAt;
    int Clearing = -1;
    std::function<void(std::uint16_t address)> OnWrite;

private:
    mutable std::mutex mutex_;
    std::vector<sim::Request> requests_;
};

inline ParamEntry MakeEntry(std::uint16_t address, char kindLetter = 'A', std::int16_t value = 0) {
    ParamEntry entry{QStringLiteral("R%1").arg(address), 'E', kindLetter, address, -32768, 32767};
    entry.Value = entry.DriveValue = value;
    return entry;
}

// A driver on a register-map drive, with the test's main thread as user-interface thread.
class DriveFixture : public ::testing::Test {
protected:
    void SetUp() override {
        auto line = std::make_unique<FakeSerialChannel>();
        line->Reply = [this](std::span<const std::uint8_t> request) {
            return drive->Answer(request);
        };
        master = std::make_unique<ModbusMaster>(
            std::move(line), [](std::uint8_t) { return QStringLiteral("/dev/fake"); });
        ASSERT_TRUE(master->OpenPort(1, 19200, false, 2));
        master->SelectUnit(1);
        driver = std::make_unique<TDriver>(host, *master);
        host.SetDriver(driver.get());
        host.OnCloseChildWindows = [this](WindowsToClose windows) {
            closedWith.push_back(windows);
        };
    }
    void TearDown() override {
        EXPECT_EQ(driver ? driver->MasterConflicts() : 0, 0);
        EXPECT_EQ(host.WrongThreadCount(), 0);
        driver.reset();
    }

    // Fills the kind's table with the given entries (or addresses first..last) and selects
    // that kind, on line.
    void UseTable(DeviceKind kind, const std::vector<ParamEntry>& entries) {
        ParamTable& table = driver->KindTable(kind);
        table.Clear();
        for (const ParamEntry& entry : entries)
            table.Add(entry);
        table.SortByAddress();
        driver->SelectDeviceKind(kind, false);
        driver->SetOnline(true);
    }
    void UseRange(DeviceKind kind, int first, int last) {
        std::vector<ParamEntry> entries;
        for (int a = first; a <= last; ++a)
            entries.push_back(MakeEntry(static_cast<std::uint16_t>(a)));
        UseTable(kind, entries);
    }

    // Runs a whole-table transfer to its end, counting its progress calls from 0; returns
    // whether OnDone came. Both callbacks must run on the user-interface thread.
    bool RunRead(TransferTarget target) {
        bool done = false;
        const auto onUiThread = [] { EXPECT_EQ(QThread::currentThread(), qApp->thread()); };
        progress = 0;
        driver->StartRead(
            target, [=, this] { onUiThread(), ++progress; }, [&] { onUiThread(), done = true; });
        const bool ended = WaitFor([&] { return driver->Mode() != WorkerMode::TableRead; });
        EXPECT_TRUE(ended && done) << "ended=" << ended << " mode=" << int(driver->Mode());
        return ended && done;
    }

    ParamEntry& Param(std::uint16_t address) {
        return *driver->ActiveTable().FindByAddress(address);
    }

    // Each read as (address, count); each write as (address, value), a write of other than
    // one register giving value -1.
    Pairs Reads() const { return Requests(sim::FunctionRead); }
    Pairs Written() const { return Requests(sim::FunctionWrite); }
    Pairs Requests(std::uint8_t function) const {
        Pairs out;
        for (const auto& r : drive->Requests())
            if (r.function == function)
                out.emplace_back(r.firstRegister, function == sim::FunctionRead ? r.count
                                                  : r.values.size() == 1        ? r.values[0]
                                                                                : -1);
        return out;
    }

    RecordingMessages messages;
    std::unique_ptr<RegisterMapDrive> drive = std::make_unique<RegisterMapDrive>();
    std::unique_ptr<ModbusMaster> master;
    CliDriverHost host;
    std::unique_ptr<TDriver> driver;
    std::vector<WindowsToClose> closedWith;
    int progress = 0;
};

} // namespace kelm::test
