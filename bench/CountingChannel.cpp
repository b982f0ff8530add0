#include "bench/CountingChannel.h"

namespace kelm::bench {

long CountingChannel::Write(const std::uint8_t* data, std::size_t length) {
    const long written = inner_->Write(data, length);
    if (written > 0)
        bytes_ += static_cast<std::uint64_t>(written);
    return written;
}

int CountingChannel::ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) {
    const int got = inner_->ReadByte(byte, timeoutMs);
    if (got == 1)
        ++bytes_;
    return got;
}

} // namespace kelm::bench
