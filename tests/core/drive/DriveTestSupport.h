#pragma once

#include "../link/FakeSerialChannel.h"
#include "core/common/Ticks.h"
#include "core/drive/CliDriverHost.h"
#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "core/link/RegisterFrames.h"
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

// A drive answering function 3 and 16 from a register map, as the responder of the scripted
// line. Records every request. Addresses in Silent make it stay quiet; a request touching
// ThrowAt throws (an error raised inside a transfer step). OnWrite may change the map after a
// write (the command handshake of a drive).
class RegisterMapDrive {
public:
    struct Request {
        std::uint8_t Function = 0;
        std::uint16_t Address = 0, Count = 0;
        std::vector<std::uint16_t> Values; // written values
    };

    Delivery Answer(std::span<const std::uint8_t> data) {
        std::lock_guard lock(mutex_);
        const sim::DecodeResult decoded =
            sim::DecodeRequest(sim::FrameVariant::Plain, data.data(), data.size());
        if (decoded.status != sim::DecodeStatus::Valid)
            return {};
        const sim::Request& frame = decoded.request;
        const Request request{frame.function, frame.firstRegister, frame.count, frame.values};
        requests_.push_back(request);
        for (int i = 0; i < request.Count; ++i) {
            if (ThrowAt.count(static_cast<std::uint16_t>(request.Address + i)))
                throw std::runtime_error("channel failure");
            if (Silent.count(static_cast<std::uint16_t>(request.Address + i)))
                return {};
        }
        if (request.Function == sim::FunctionRead) {
            std::vector<std::uint16_t> values;
            for (int i = 0; i < request.Count; ++i)
                values.push_back(Registers[static_cast<std::uint16_t>(request.Address + i)]);
            return {sim::EncodeReadReply(sim::FrameVariant::Plain, frame.address, request.Address,
                                         values)};
        }
        for (std::size_t i = 0; i < request.Values.size(); ++i)
            Registers[static_cast<std::uint16_t>(request.Address + i)] = request.Values[i];
        if (OnWrite)
            OnWrite(request);
        return {sim::EncodeWriteReply(sim::FrameVariant::Plain, frame.address, request.Address,
                                      request.Count)};
    }

    std::vector<Request> Requests() const {
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
    std::function<void(const Request&)> OnWrite;

private:
    mutable std::mutex mutex_;
    std::vector<Request> requests_;
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

    // Runs a whole-table transfer to its end; returns whether OnDone came. Both callbacks
    // must run on the user-interface thread.
    bool RunRead(TransferTarget target, int* progress = nullptr) {
        bool done = false;
        const auto onUiThread = [] { EXPECT_EQ(QThread::currentThread(), qApp->thread()); };
        driver->StartRead(
            target,
            [=] {
                onUiThread();
                if (progress)
                    ++*progress;
            },
            [&] { onUiThread(), done = true; });
        const bool ended = WaitFor([&] { return driver->Mode() != WorkerMode::TableRead; });
        EXPECT_TRUE(ended && done) << "ended=" << ended << " mode=" << int(driver->Mode());
        return ended && done;
    }

    std::vector<RegisterMapDrive::Request> Reads() const {
        std::vector<RegisterMapDrive::Request> out;
        for (const auto& r : drive->Requests())
            if (r.Function == frames::ReadFunction)
                out.push_back(r);
        return out;
    }
    // Each write as (address, value); a write of other than one register gives value -1.
    std::vector<std::pair<int, int>> Written() const {
        std::vector<std::pair<int, int>> out;
        for (const auto& w : drive->Requests())
            if (w.Function == frames::WriteFunction)
                out.emplace_back(w.Address, w.Values.size() == 1 ? w.Values[0] : -1);
        return out;
    }

    RecordingMessages messages;
    std::unique_ptr<RegisterMapDrive> drive = std::make_unique<RegisterMapDrive>();
    std::unique_ptr<ModbusMaster> master;
    CliDriverHost host;
    std::unique_ptr<TDriver> driver;
    std::vector<WindowsToClose> closedWith;
};

} // namespace kelm::test
