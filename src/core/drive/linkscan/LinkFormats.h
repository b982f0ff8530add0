#pragma once

#include <QString>
#include <cstdint>

namespace kelm {

// Value formats of the link overview's unit panels.

// Running time from seconds: hours ":" minutes ":" seconds with two digits; hours and
// minutes without leading zeros (90061 gives "25:1:01").
QString RunningTimeText(std::uint32_t seconds);
// Running time from its register pair, high word first.
std::uint32_t RunningTimeSeconds(std::uint16_t high, std::uint16_t low);
// Signed 32-bit pulse count from its register pair, high word first, in decimal.
QString PulsesText(std::uint16_t high, std::uint16_t low);

} // namespace kelm
