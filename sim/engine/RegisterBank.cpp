#include "sim/engine/RegisterBank.h"

namespace kelm::sim {

std::vector<std::uint16_t> RegisterBank::GetBlock(std::uint16_t first, std::uint16_t count) const {
    std::vector<std::uint16_t> block(count);
    for (std::uint16_t i = 0; i < count; ++i) {
        block[i] = values_[static_cast<std::uint16_t>(first + i)];
    }
    return block;
}

} // namespace kelm::sim
