#pragma once

#include "core/config/HomingDescriptors.h"

#include <cstdint>

namespace kelm {

// The homing descriptor the main page shows for the stored method code: the one with that
// code, else the first (Replaced: the page then takes its code as an edit). No descriptor
// at all: nullptr.
struct StoredHoming {
    const HomingMethod* Method = nullptr;
    bool Replaced = false;
};
StoredHoming HomingForCode(const HomingDescriptors& homing, std::uint16_t code);

// The method list and the sensor list together pick a descriptor: the one with the chosen
// method and sensor (0: none, else 1-based), else the first with the chosen method;
// nullptr when no descriptor has that method.
const HomingMethod* ChosenHoming(const HomingDescriptors& homing, int nameIndex, int sensorIndex);

} // namespace kelm
