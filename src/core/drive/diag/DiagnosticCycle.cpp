#include "core/drive/diag/DiagnosticCycle.h"

#include "core/common/DeviceKind.h"
#include "core/common/Ticks.h"
#include "core/drive/DriverHost.h"
#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "core/params/LinkBaud.h"

#include <chrono>
#include <thread>
#include <vector>

namespace kelm {

namespace {

// A step that finds nothing to do yet gives the processor away instead of spinning.
void Idle(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool Before(std::uint32_t now, std::uint32_t mark) {
    return static_cast<std::int32_t>(now - mark) < 0;
}

} // namespace

DiagnosticCycle::DiagnosticCycle(TDriver& driver, PlainLine plainLine)
    : driver_(driver), plainLine_(plainLine) {}

DiagnosticCycle::~DiagnosticCycle() {
    if (installed_) {
        driver_.SetStepBody(WorkerMode::Diagnostic, {});
        driver_.SetStartBody(WorkerMode::Diagnostic, {});
    }
}

void DiagnosticCycle::Install() {
    driver_.SetStepBody(WorkerMode::Diagnostic, [this] { Step(); });
    driver_.SetStartBody(WorkerMode::Diagnostic, [this] { Start(); });
    installed_ = true;
}

void DiagnosticCycle::SetVisibleRows(VisibleRows rows) {
    visible_.store((static_cast<std::uint64_t>(static_cast<std::uint32_t>(rows.Top)) << 32) |
                   static_cast<std::uint32_t>(rows.Count));
}

VisibleRows DiagnosticCycle::Visible() const {
    const std::uint64_t packed = visible_.load();
    return {static_cast<std::int32_t>(static_cast<std::uint32_t>(packed >> 32)),
            static_cast<std::int32_t>(static_cast<std::uint32_t>(packed & 0xFFFFFFFFU))};
}

bool DiagnosticCycle::QueueWrite(int row, std::int16_t value) {
    if (row < 0 || row >= driver_.ActiveTable().Count())
        return false;
    const std::lock_guard lock(writesMutex_);
    return pendingWrites_.emplace(row, value).second;
}

std::optional<std::int16_t> DiagnosticCycle::PendingWrite(int row) const {
    const std::lock_guard lock(writesMutex_);
    const auto found = pendingWrites_.find(row);
    if (found == pendingWrites_.end())
        return std::nullopt;
    return found->second;
}

void DiagnosticCycle::Start() {
    diagRow_.store(0);
    linkLost_.store(false);
    tickMark_ = 0;
    reconnectTried_ = false;
}

void DiagnosticCycle::Step() {
    const std::uint32_t now = TickCount();
    if (linkLost_.load())
        ReconnectStep(now);
    else if (Before(now, tickMark_))
        Idle(1);
    else
        NormalStep();
}

void DiagnosticCycle::NormalStep() {
    ModbusMaster& master = driver_.Master();
    if (!master.IsPortOpen()) {
        EnterLinkLost();
        return;
    }
    ParamTable& table = driver_.ActiveTable();
    const int rows = table.Count();
    if (rows == 0) {
        Idle(5);
        return;
    }
    const int row = std::min(std::max(diagRow_.load(), 0), rows - 1);
    ParamEntry& entry = table.At(row);
    std::vector<std::function<void()>> events;

    if (const std::optional<std::int16_t> queued = PendingWrite(row)) {
        if (driver_.WriteReg(entry.Address, static_cast<std::uint16_t>(*queued), true,
                             ReplyTimeoutMs, nullptr)) {
            {
                const std::lock_guard lock(writesMutex_);
                pendingWrites_.erase(row);
            }
            if (observer_.WriteDone)
                events.emplace_back([this, row] { observer_.WriteDone(row); });
        } else {
            EnterLinkLost();
        }
    }
    bool pass = false;
    if (!linkLost_.load()) {
        if (driver_.ReadEntry(entry, true, ReplyTimeoutMs, true)) {
            const auto value = static_cast<std::uint16_t>(entry.DriveValue);
            diagRow_.store(NextDiagRow(row, rows, Visible(), pass));
            if (observer_.RowRead)
                events.emplace_back([this, row, value] { observer_.RowRead(row, value); });
            if (pass && observer_.PassComplete)
                events.emplace_back([this] { observer_.PassComplete(); });
        } else {
            EnterLinkLost();
        }
    }
    if (observer_.Counters) {
        const ModbusMaster::Counts counts = master.Counters();
        events.emplace_back([this, counts] {
            observer_.Counters(counts.Requests, counts.Replies, counts.Failures);
        });
    }
    Notify([&events] {
        for (const auto& event : events)
            event();
    });
    // The pass's status poll stays here on the worker; it reaches windows itself.
    if (pass && passPoll_ && !linkLost_.load())
        passPoll_();
    tickMark_ = TickCount() + 1;
}

void DiagnosticCycle::EnterLinkLost() {
    if (linkLost_.exchange(true))
        return;
    reconnectTried_ = false;
    if (observer_.LinkLostChanged)
        Notify([this] { observer_.LinkLostChanged(true); });
}

void DiagnosticCycle::ReconnectStep(std::uint32_t now) {
    if (reconnectTried_ && now - lastReconnect_ < ReconnectPeriodMs) {
        Idle(5);
        return;
    }
    reconnectTried_ = true;
    lastReconnect_ = now;
    ModbusMaster& master = driver_.Master();
    // The reopening and the probe hold the line like any transfer, so a request the window
    // makes meanwhile never meets the port half open.
    const bool answered = driver_.UseLine([&] {
        if (!master.IsPortOpen()) {
            if (master.IsLinkMode())
                master.OpenPort(master.GetPort(),
                                LinkBaudRate(driver_.KindTable(DeviceKind::Power)), true, 0);
            else
                master.OpenPort(master.GetPort(), plainLine_.BaudRate, false, plainLine_.Parity);
        }
        // Register 0 is probed even when the program still counts itself on line (the port
        // was closed under it): otherwise nothing would ever end reconnect mode.
        std::uint16_t probe = 0;
        return master.IsLinkReady() && master.ReadRegisters(0, &probe, 1, ReplyTimeoutMs, false);
    });
    if (!answered)
        return;
    const bool wasOffline = !driver_.Online();
    driver_.SetOnline(true);
    linkLost_.store(false);
    tickMark_ = 0;
    const ModbusMaster::Counts counts = master.Counters();
    Notify([this, wasOffline, counts] {
        if (wasOffline)
            driver_.Host().ConfigureForDevice();
        if (observer_.LinkLostChanged)
            observer_.LinkLostChanged(false);
        if (observer_.Counters)
            observer_.Counters(counts.Requests, counts.Replies, counts.Failures);
    });
}

void DiagnosticCycle::Notify(const std::function<void()>& fn) {
    driver_.RunSynchronized(fn);
}

} // namespace kelm
