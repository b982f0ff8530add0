#pragma once

#include <cstdint>

namespace kelm::sim {

// Line faults applied to replies (silence is per device, see Device::SetSilent).
struct Faults {
    std::uint32_t dropEvery = 0; // every k-th reply is not sent (0: off); the request is acted on
    bool badCrc = false;         // the CRC's low byte is inverted
    bool wrongAddress = false;   // the reply names address + 1 (valid CRC)
    bool wrongCount = false;     // byte-count / register-count field off by one (valid CRC)
    std::uint32_t delayMs = 0;   // the reply starts this much later
    bool truncate = false;       // the last byte of the reply is missing
    bool trailing = false;       // two extra bytes follow the reply
    bool wrongFunction = false;  // the reply names function + 1 (valid CRC)
    std::uint8_t exceptionCode = 0; // every request gets an exception reply with this code (0: off)
};

} // namespace kelm::sim
