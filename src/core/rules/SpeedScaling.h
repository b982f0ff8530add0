#pragma once

#include <cstdint>

namespace kelm {

// The digital speed reference is held as a fraction of the maximum speed: 32767 stands for
// the maximum. A maximum of 0 or below gives 0 both ways instead of dividing by it.

// Displayed rpm = raw x max / 32767, rounded away from zero.
inline std::int32_t RawToRpm(std::int32_t raw, std::int32_t maxSpeed) {
    if (maxSpeed <= 0)
        return 0;
    const std::int64_t product = static_cast<std::int64_t>(raw) * maxSpeed;
    const std::int64_t magnitude = (product < 0 ? -product : product);
    const auto rpm = static_cast<std::int32_t>((magnitude + 32766) / 32767);
    return product < 0 ? -rpm : rpm;
}

// Written raw = rpm x 32767 / max, truncated toward zero, kept within 16 bits.
inline std::int16_t RpmToRaw(std::int32_t rpm, std::int32_t maxSpeed) {
    if (maxSpeed <= 0)
        return 0;
    std::int64_t raw = static_cast<std::int64_t>(rpm) * 32767 / maxSpeed;
    if (raw > 32767)
        raw = 32767;
    if (raw < -32768)
        raw = -32768;
    return static_cast<std::int16_t>(raw);
}

} // namespace kelm
