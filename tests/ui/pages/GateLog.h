#pragma once

#include "core/drive/TDriver.h"

#include <mutex>
#include <utility>
#include <vector>

namespace kelm::test {

// Every write that reaches the drive model's write gate while it lives, sent or dropped,
// as (address, signed value). Writes come from either thread.
class GateLog {
public:
    explicit GateLog(TDriver& driver) : gate_(driver.Gate()) {
        gate_.SetObserver([this](const GateRecord& record) {
            const std::lock_guard lock(mutex_);
            writes_.emplace_back(record.Address, static_cast<std::int16_t>(record.Value));
        });
    }
    ~GateLog() { gate_.SetObserver({}); }
    GateLog(const GateLog&) = delete;
    GateLog& operator=(const GateLog&) = delete;

    std::vector<std::pair<int, int>> Writes() {
        const std::lock_guard lock(mutex_);
        return writes_;
    }
    bool Wrote(int address) {
        for (const auto& [written, value] : Writes())
            if (written == address)
                return true;
        return false;
    }

private:
    WriteGate& gate_;
    std::mutex mutex_;
    std::vector<std::pair<int, int>> writes_;
};

} // namespace kelm::test
