#include "core/link/LateReplyGuard.h"

#include <algorithm>

namespace kelm {

bool LateReplyGuard::Request::Same(std::span<const std::uint8_t> other) const {
    return std::ranges::equal(std::span(Bytes.data(), Size), other);
}

void LateReplyGuard::Sent(std::span<const std::uint8_t> request, std::uint32_t tick) {
    last_.Size = std::min(request.size(), MaxRequestSize);
    std::copy_n(request.begin(), last_.Size, last_.Bytes.begin());
    lastTick_ = tick;
    if (unsettled_) {
        othersSent_ = othersSent_ || !missing_.Same(request);
    }
}

void LateReplyGuard::ReplyMissing() {
    if (unsettled_) {
        return; // Sent() has already noted the request
    }
    unsettled_ = true;
    missing_ = last_;
    othersSent_ = false;
}

bool LateReplyGuard::MustSettle(std::span<const std::uint8_t> request) const {
    // A repeat of the very read whose reply is missing may take that reply: same values.
    return unsettled_ && (othersSent_ || !missing_.Same(request));
}

void LateReplyGuard::Settled() {
    unsettled_ = false;
    othersSent_ = false;
}

} // namespace kelm
