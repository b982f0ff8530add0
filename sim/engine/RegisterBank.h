#pragma once

#include <cstdint>
#include <vector>

namespace kelm::sim {

// The working registers of one device: every address 0..65535 exists. Registers the
// configuration does not name start at 0 and keep what is written to them, so the profile
// area, the oscilloscope registers and sample memory need no table entries.
class RegisterBank {
public:
    RegisterBank() : values_(65536, 0) {}

    std::uint16_t Get(std::uint16_t address) const { return values_[address]; }
    void Set(std::uint16_t address, std::uint16_t value) { values_[address] = value; }
    // A block that runs past 65535 wraps to 0, as 16-bit addresses do.
    std::vector<std::uint16_t> GetBlock(std::uint16_t first, std::uint16_t count) const;

private:
    std::vector<std::uint16_t> values_;
};

} // namespace kelm::sim
