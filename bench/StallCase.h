#pragma once

#include "bench/Results.h"

#include <vector>

namespace kelm::bench {

// The user-interface thread's longest stall per mode (status panel, diagnostic view,
// oscilloscope capture) on a slow line: kelmbench_stall run `runs` times against kelmsim
// answering 120 ms late (inside the reply time-out), `seconds` per mode.
std::vector<Row> RunStallCases(int runs, int seconds);

} // namespace kelm::bench
