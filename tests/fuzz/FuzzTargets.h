#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kelm::fuzz {

// Names of the readers that take outside bytes (one corpus folder each).
std::vector<std::string_view> TargetNames();
// Feeds one input to the named reader; false for an unknown name.
bool RunTarget(std::string_view name, const std::uint8_t* data, std::size_t size);

} // namespace kelm::fuzz
