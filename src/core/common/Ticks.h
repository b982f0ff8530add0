#pragma once

#include <cstdint>

namespace kelm {

// Monotonic millisecond tick counter (wraps like a 32-bit tick count; use differences).
std::uint32_t TickCount();

// Busy-waits (yielding the processor) until more than `ms` milliseconds have passed.
void PauseMs(std::uint32_t ms);

} // namespace kelm
