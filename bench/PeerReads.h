#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace kelm::bench {

// `count` reads of one register (function 3, address 1, parity none) by libmodbus on the
// terminal at `path`; milliseconds, or nullopt when a read failed. Without libmodbus in
// the build: nullopt, and Built() is false.
std::optional<double> LibmodbusReads(const QString& path, std::uint32_t baud, int count,
                                     std::uint16_t address);
bool LibmodbusBuilt();

} // namespace kelm::bench
