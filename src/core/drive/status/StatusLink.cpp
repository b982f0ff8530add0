#include "core/drive/status/StatusLink.h"

#include "core/drive/TDriver.h"
#include "core/drive/status/StatusPoller.h"

namespace kelm {

bool DriverStatusLink::Online() const {
    return driver_.Online();
}
DeviceKind DriverStatusLink::CurrentKind() const {
    return driver_.CurrentKind();
}
ParamTable& DriverStatusLink::ActiveTable() {
    return driver_.ActiveTable();
}
ParamTable& DriverStatusLink::ScopeSettingsTable() {
    return driver_.ScopeSettingsTable();
}

bool DriverStatusLink::ReadRegs(std::uint16_t address, std::uint16_t* buffer, bool reportFailure,
                                std::uint32_t timeoutMs, std::uint8_t count,
                                std::uint16_t* copyTarget) {
    return driver_.ReadRegs(address, buffer, reportFailure, timeoutMs, count, copyTarget);
}

bool DriverStatusLink::WriteReg(std::uint16_t address, std::uint16_t value, bool reportFailure,
                                std::uint32_t timeoutMs, std::uint16_t* echoTarget) {
    return driver_.WriteReg(address, value, reportFailure, timeoutMs, echoTarget);
}

StatusLink::Asked DriverStatusLink::WriteAsked(const WriteOrigin& origin, std::uint16_t address,
                                               std::uint16_t value, std::uint32_t timeoutMs) {
    WriteGate::Scope scope(driver_.Gate(), origin);
    if (!driver_.StillCurrent(origin)) {
        driver_.Gate().Admit(driver_.CurrentUnit(), address, value); // records and notes it
        return Asked::Dropped;
    }
    return driver_.WriteReg(address, value, true, timeoutMs, nullptr) ? Asked::Written
                                                                      : Asked::Failed;
}

WriteOrigin DriverStatusLink::AskNow(const QString& action) const {
    return driver_.Ask(action);
}

std::uint32_t DriverStatusLink::TickMark() const {
    return driver_.TickMark();
}
void DriverStatusLink::SetTickMark(std::uint32_t tick) {
    driver_.SetTickMark(tick);
}

void DriverStatusLink::RunSynchronized(const std::function<void()>& fn) {
    driver_.RunSynchronized(fn);
}

void InstallStatusPoll(TDriver& driver, StatusPoller& poller) {
    driver.SetPollBody(
        WorkerMode::StatusPoll,
        [&poller, &driver] {
            poller.Poll([&driver] { return driver.Mode() != WorkerMode::StatusPoll; });
        },
        TDriver::PollThread::Worker);
}

} // namespace kelm
