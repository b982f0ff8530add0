#pragma once

#include "core/drive/status/StatusLink.h"
#include "core/drive/status/StatusPollHost.h"

#include <QStringList>
#include <map>

namespace kelm::test {

// A drive behind the status poll: registers in a map, every request recorded as
// "R<address>x<count>" or "W<address>=<value>". A request touching a failing address
// takes the fake off line, as a reported failure does.
class FakeStatusLink final : public StatusLink {
public:
    bool Online() const override { return online; }
    DeviceKind CurrentKind() const override { return kind; }
    ParamTable& ActiveTable() override { return table; }
    ParamTable& ScopeSettingsTable() override { return scope; }
    bool ReadRegs(std::uint16_t address, std::uint16_t* buffer, bool, std::uint32_t,
                  std::uint8_t count, std::uint16_t* copyTarget) override {
        if (!online)
            return false;
        requests << QStringLiteral("R%1x%2").arg(address).arg(count);
        if (failAt >= address && failAt < address + count)
            return online = false;
        for (int i = 0; i < count; ++i) {
            buffer[i] = registers[static_cast<std::uint16_t>(address + i)];
            if (copyTarget)
                copyTarget[i] = buffer[i];
        }
        return true;
    }
    bool WriteReg(std::uint16_t address, std::uint16_t value, bool, std::uint32_t,
                  std::uint16_t* echoTarget) override {
        if (!online)
            return false;
        requests << QStringLiteral("W%1=%2").arg(address).arg(value);
        if (failAt == address)
            return online = false;
        registers[address] = value;
        if (echoTarget)
            *echoTarget = value;
        return true;
    }
    // A session generation: a request asked under an older one is dropped, as the gate does.
    WriteOrigin AskNow(const QString& action) const override { return {action, generation, {}}; }
    Asked WriteAsked(const WriteOrigin& origin, std::uint16_t address, std::uint16_t value,
                     std::uint32_t timeoutMs) override {
        if (origin.IsSet() && origin.Generation != generation)
            return Asked::Dropped;
        return WriteReg(address, value, true, timeoutMs, nullptr) ? Asked::Written : Asked::Failed;
    }
    // The user-interface step runs, then (when asked) a transition happens before the poll
    // goes on.
    void RunSynchronized(const std::function<void()>& fn) override {
        fn();
        if (transitionAfterUi)
            ++generation;
    }
    std::uint32_t TickMark() const override { return tick; }
    void SetTickMark(std::uint32_t t) override { tick = t; }

    DeviceKind kind = DeviceKind::Std;
    bool online = true;
    ParamTable table = ParamTable::MakeSynthetic(QStringLiteral("R"), 0, 260);
    ParamTable scope = ParamTable::MakeSynthetic(QStringLiteral("R"), 50000, 50013);
    std::map<std::uint16_t, std::uint16_t> registers;
    std::uint16_t failAt = 0xFFFF;
    QStringList requests;
    std::uint32_t tick = 10000;
    std::uint64_t generation = 1;
    bool transitionAfterUi = false;
};

// The main-window side of the poll, recording what the poll did.
class FakePollHost final : public StatusPollHost {
public:
    bool SelectorChanged(int s) const override { return changed[s]; }
    int SelectorIndex(int s) const override { return index[s]; }
    void ClearSelectorChanged(int s) override { changed[s] = false; }
    bool RequestPending(DriveRequest r) const override { return down[static_cast<int>(r)]; }
    void SetRequestWritten(DriveRequest r, bool w) override { written[static_cast<int>(r)] = w; }
    void ReleaseRequest(DriveRequest r) override { down[static_cast<int>(r)] = false; }
    bool DigitalPageOpen() const override { return digitalOpen; }
    void SetDigitalEnableSwitch(bool on) override { events << (on ? "switch on" : "switch off"); }
    void DigitalRefresh() override { events << "digital"; }
    bool AnalogPageOpen() const override { return analogOpen; }
    void AnalogRefresh() override { events << "analog"; }
    bool ScopeWindowExists() const override { return scopeOpen; }
    void ScopeStatusStep() override { events << "scope step"; }
    void ScopeCaptureComplete() override { events << "capture complete"; }
    void StatusRefresh() override { events << "refresh"; }

    bool changed[2] = {false, false};
    int index[2] = {0, 0};
    bool down[2] = {false, false};
    bool written[2] = {false, false};
    bool digitalOpen = false;
    bool analogOpen = false;
    bool scopeOpen = false;
    QStringList events;
};

} // namespace kelm::test
