#pragma once

#include "bench/Results.h"

#include <cstdint>
#include <vector>

namespace kelm::bench {

// How much of each case to run.
struct Plan {
    int Runs = 5;
    std::vector<std::uint32_t> Bauds{19200, 115200};
    int SingleReads = 1000;
    int PollsPerRun = 2;
};

// Whole-table reads and writes of each kind through the drive model, the capture upload,
// the single-register reads (against the wire and against libmodbus) and the status poll's
// time on the user-interface thread, at every baud rate of the plan.
std::vector<Row> RunLineCases(const Plan& plan);

} // namespace kelm::bench
