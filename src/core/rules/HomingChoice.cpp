#include "core/rules/HomingChoice.h"

namespace kelm {

StoredHoming HomingForCode(const HomingDescriptors& homing, std::uint16_t code) {
    if (const HomingMethod* known = homing.FindByCode(code))
        return {known, false};
    if (homing.Methods.empty())
        return {};
    return {&homing.Methods.front(), true};
}

const HomingMethod* ChosenHoming(const HomingDescriptors& homing, int nameIndex, int sensorIndex) {
    const HomingMethod* chosen = nullptr;
    for (const HomingMethod& candidate : homing.Methods) {
        if (candidate.NameIndex != nameIndex)
            continue;
        if (candidate.SensorIndex == sensorIndex)
            return &candidate;
        if (chosen == nullptr)
            chosen = &candidate;
    }
    return chosen;
}

} // namespace kelm
