#pragma once

#include <cstdint>
#include <ctime>

namespace kelm {

// Milliseconds of the monotonic clock: deadlines of the channels' waits, which a change of
// the wall clock must not move.
inline std::int64_t MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace kelm
