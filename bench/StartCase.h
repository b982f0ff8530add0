#pragma once

#include "bench/Results.h"

#include <vector>

namespace kelm::bench {

// The desktop program's start (to the main window shown, offscreen, configuration loaded)
// and its peak resident memory with the main page, the status panel, the diagnostic view
// and the comparison window open, and the main window's status refresh (the status poll's
// work on the user-interface thread): kelmbench_start run `runs` times against kelmsim.
std::vector<Row> RunStartCases(int runs);

} // namespace kelm::bench
