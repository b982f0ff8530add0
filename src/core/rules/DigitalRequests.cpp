#include "core/rules/DigitalRequests.h"

namespace kelm {

void DigitalRequests::Force(int row, SwitchRequest request, const WriteOrigin& origin) {
    if (row < 0 || row >= DigitalRowCount)
        return;
    force_[static_cast<std::size_t>(row)] = {request, origin};
}

bool DigitalRequests::ForcePending(int row) const {
    return row >= 0 && row < DigitalRowCount &&
           force_[static_cast<std::size_t>(row)].Request != SwitchRequest::None;
}

RequestMasks DigitalRequests::TakeMasks(const Current& current) {
    std::array<SwitchRequest, DigitalRowCount> requests{};
    for (std::size_t i = 0; i < force_.size(); ++i) {
        if (force_[i].Request != SwitchRequest::None && current(force_[i].Origin))
            requests[i] = force_[i].Request;
        force_[i] = {};
    }
    return BuildRequestMasks(requests);
}

bool DigitalRequests::MoveSpeed(int position, const WriteOrigin& origin, bool dragging,
                                std::int64_t nowMs) {
    speed_ = Speed{position, origin};
    if (!dragging) {
        windowStart_ = -1;
        return true;
    }
    if (windowStart_ < 0) {
        windowStart_ = nowMs;
        return false;
    }
    if (nowMs - windowStart_ < ThrottleMs)
        return false;
    windowStart_ = nowMs;
    return true;
}

std::optional<DigitalRequests::Speed> DigitalRequests::TakeSpeed(const Current& current,
                                                                 bool dragEnded) {
    if (dragEnded)
        windowStart_ = -1;
    std::optional<Speed> taken;
    taken.swap(speed_);
    if (taken && !current(taken->Origin))
        taken.reset();
    return taken;
}

void DigitalRequests::DropAll() {
    force_ = {};
    speed_.reset();
    windowStart_ = -1;
}

} // namespace kelm
