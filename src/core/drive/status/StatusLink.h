#pragma once

#include "core/common/DeviceKind.h"
#include "core/drive/WriteGate.h"
#include "core/params/ParamTable.h"

#include <cstdint>
#include <functional>

namespace kelm {

class TDriver;
class StatusPoller;

// What the status poll needs from the drive model: the transfer wrappers, the tables and
// the pacing mark. DriverStatusLink forwards to TDriver; tests use a recording fake so that
// the order of requests on the line can be checked directly.
class StatusLink {
public:
    virtual ~StatusLink() = default;
    virtual bool Online() const = 0;
    virtual DeviceKind CurrentKind() const = 0;
    virtual ParamTable& ActiveTable() = 0;
    virtual ParamTable& ScopeSettingsTable() = 0;
    // As TDriver::ReadRegs / WriteReg; a reported failure takes the program off line.
    virtual bool ReadRegs(std::uint16_t address, std::uint16_t* buffer, bool reportFailure,
                          std::uint32_t timeoutMs, std::uint8_t count,
                          std::uint16_t* copyTarget) = 0;
    virtual bool WriteReg(std::uint16_t address, std::uint16_t value, bool reportFailure,
                          std::uint32_t timeoutMs, std::uint16_t* echoTarget) = 0;
    // A write the user asked for earlier: dropped (nothing sent) when origin is no longer
    // current, else written under it with failure reporting on.
    enum class Asked { Written, Failed, Dropped };
    virtual Asked WriteAsked(const WriteOrigin& origin, std::uint16_t address, std::uint16_t value,
                             std::uint32_t timeoutMs) {
        (void)origin;
        return WriteReg(address, value, true, timeoutMs, nullptr) ? Asked::Written : Asked::Failed;
    }
    // A request asked now, for writes the poll makes on behalf of a window (force masks).
    virtual WriteOrigin AskNow(const QString& action) const {
        (void)action;
        return {};
    }
    virtual std::uint32_t TickMark() const = 0;
    virtual void SetTickMark(std::uint32_t tick) = 0;
    // Runs fn on the user-interface thread (the poll may run on the worker); directly when
    // already there.
    virtual void RunSynchronized(const std::function<void()>& fn) { fn(); }
};

class DriverStatusLink final : public StatusLink {
public:
    explicit DriverStatusLink(TDriver& driver) : driver_(driver) {}
    bool Online() const override;
    DeviceKind CurrentKind() const override;
    ParamTable& ActiveTable() override;
    ParamTable& ScopeSettingsTable() override;
    bool ReadRegs(std::uint16_t address, std::uint16_t* buffer, bool reportFailure,
                  std::uint32_t timeoutMs, std::uint8_t count, std::uint16_t* copyTarget) override;
    bool WriteReg(std::uint16_t address, std::uint16_t value, bool reportFailure,
                  std::uint32_t timeoutMs, std::uint16_t* echoTarget) override;
    Asked WriteAsked(const WriteOrigin& origin, std::uint16_t address, std::uint16_t value,
                     std::uint32_t timeoutMs) override;
    WriteOrigin AskNow(const QString& action) const override;
    std::uint32_t TickMark() const override;
    void SetTickMark(std::uint32_t tick) override;
    void RunSynchronized(const std::function<void()>& fn) override;

private:
    TDriver& driver_;
};

// Makes poller.Poll() the StatusPoll poll body of the driver (the poller must outlive it). It runs
// on the worker: the poll's transfers keep off the user-interface thread, and the poller
// reaches its host there through the synchronized call.
void InstallStatusPoll(TDriver& driver, StatusPoller& poller);

} // namespace kelm
