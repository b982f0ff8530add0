#pragma once

#include "RegisterMapChannel.h"

#include "core/common/Ticks.h"
#include "core/drive/CliDriverHost.h"
#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "core/seams/RecordingMessages.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>

namespace kelm::test {

inline ParamEntry MakeEntry(std::uint16_t address, char kindLetter = 'A', std::int16_t value = 0) {
    ParamEntry entry;
    entry.Name = QStringLiteral("R%1").arg(address);
    entry.AccessLetter = 'E';
    entry.KindLetter = kindLetter;
    entry.Address = address;
    entry.MinValue = -32768;
    entry.MaxValue = 32767;
    entry.Value = value;
    entry.DriveValue = value;
    return entry;
}

// A driver on a register-map drive, with the test's main thread as user-interface thread.
class DriveFixture : public ::testing::Test {
protected:
    void SetUp() override {
        auto owned = std::make_unique<RegisterMapChannel>();
        channel = owned.get();
        master = std::make_unique<ModbusMaster>(
            std::move(owned), [](std::uint8_t) { return QStringLiteral("/dev/fake"); });
        ASSERT_TRUE(master->OpenPort(1, 19200, false, 2));
        master->DeviceAddress = 1;
        driver = std::make_unique<TDriver>(host, *master);
        host.SetDriver(driver.get());
        host.OnCloseChildWindows = [this](std::uint8_t f1, bool f2) {
            closedWith.emplace_back(f1, f2);
        };
    }
    void TearDown() override {
        if (driver) {
            EXPECT_EQ(driver->MasterConflicts(), 0);
        }
        EXPECT_EQ(host.WrongThreadCount(), 0);
        driver.reset();
    }

    // Fills the kind's table with the given entries and selects that kind, on line.
    void UseTable(DeviceKind kind, const std::vector<ParamEntry>& entries) {
        ParamTable& table = driver->KindTable(kind);
        table.Clear();
        for (const ParamEntry& entry : entries)
            table.Add(entry);
        table.SortByAddress();
        driver->SelectDeviceKind(kind, false);
        driver->SetOnline(true);
    }
    void UseRange(DeviceKind kind, int first, int last, char kindLetter = 'A') {
        std::vector<ParamEntry> entries;
        for (int a = first; a <= last; ++a)
            entries.push_back(MakeEntry(static_cast<std::uint16_t>(a), kindLetter));
        UseTable(kind, entries);
    }

    // Processes events until pred holds or timeoutMs passed.
    template <typename Pred> bool WaitFor(Pred pred, std::uint32_t timeoutMs = 10000) {
        const std::uint32_t start = TickCount();
        while (!pred()) {
            if (TickCount() - start > timeoutMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return true;
    }

    // Runs a whole-table transfer to its end; returns whether OnDone came. Both callbacks
    // must run on the user-interface thread.
    bool RunRead(char target, int* progress = nullptr) {
        bool done = false;
        driver->StartRead(
            target,
            [progress] {
                EXPECT_EQ(QThread::currentThread(), qApp->thread());
                if (progress)
                    ++*progress;
            },
            [&done] {
                EXPECT_EQ(QThread::currentThread(), qApp->thread());
                done = true;
            });
        const bool ended = WaitFor([&] { return done || driver->ModeLetter() != 'R'; });
        WaitFor([&] { return driver->ModeLetter() != 'R'; });
        if (!(ended && done))
            ADD_FAILURE() << "ended=" << ended << " done=" << done
                          << " mode=" << int(driver->ModeLetter());
        return ended && done;
    }

    std::vector<RegisterMapChannel::Request> Requests(std::uint8_t function) const {
        std::vector<RegisterMapChannel::Request> out;
        for (const auto& r : channel->Requests())
            if (r.Function == function)
                out.push_back(r);
        return out;
    }
    auto Reads() const { return Requests(frames::ReadFunction); }
    auto Writes() const { return Requests(frames::WriteFunction); }
    // Each write as (address, value); a write of other than one register gives value -1.
    std::vector<std::pair<int, int>> Written() const {
        std::vector<std::pair<int, int>> out;
        for (const auto& w : Writes())
            out.emplace_back(w.Address, w.Values.size() == 1 ? w.Values[0] : -1);
        return out;
    }

    RecordingMessages messages;
    RegisterMapChannel* channel = nullptr;
    std::unique_ptr<ModbusMaster> master;
    CliDriverHost host;
    std::unique_ptr<TDriver> driver;
    std::vector<std::pair<std::uint8_t, bool>> closedWith;
};

} // namespace kelm::test
