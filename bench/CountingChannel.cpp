#include "bench/CountingChannel.h"

#include <chrono>

namespace kelm::bench {
namespace {

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

// The line's side starts as the request is handed over: Write returns only once it has
// crossed the line.
long CountingChannel::Write(const std::uint8_t* data, std::size_t length) {
    closedLineNs_ = LineNs();
    writtenNs_ = NowNs();
    lastReadNs_ = writtenNs_;
    const long written = inner_->Write(data, length);
    if (written > 0)
        bytes_ += static_cast<std::uint64_t>(written);
    lastReadNs_ = NowNs();
    return written;
}

int CountingChannel::ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) {
    const int got = inner_->ReadByte(byte, timeoutMs);
    if (got == 1) {
        ++bytes_;
        lastReadNs_ = NowNs();
    }
    return got;
}

std::int64_t CountingChannel::LineNs() const {
    return closedLineNs_ + (lastReadNs_ - writtenNs_);
}

} // namespace kelm::bench
