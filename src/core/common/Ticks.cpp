#include "core/common/Ticks.h"

#include <chrono>
#include <thread>

namespace kelm {

std::uint32_t TickCount() {
    using namespace std::chrono;
    const auto now = steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(now).count());
}

void PauseMs(std::uint32_t ms) {
    const std::uint32_t start = TickCount();
    while (TickCount() - start <= ms) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace kelm
