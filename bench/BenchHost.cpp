#include "bench/BenchHost.h"

#include <chrono>

namespace kelm::bench {

void BenchHost::RunSynchronized(const std::function<void()>& fn) {
    inner_.RunSynchronized([this, &fn] {
        const auto start = std::chrono::steady_clock::now();
        fn();
        synchronizedNs_ += std::chrono::duration_cast<std::chrono::nanoseconds>(
                               std::chrono::steady_clock::now() - start)
                               .count();
    });
}

} // namespace kelm::bench
