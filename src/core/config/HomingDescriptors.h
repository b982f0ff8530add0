#pragma once

#include "core/common/DeviceKind.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace kelm {

inline constexpr char HomingHeader[] = "Kelm Homing Configuration File";

// One homing method as the main parameter page offers it. The flags tell which controls the
// page enables for the method.
struct HomingMethod {
    std::uint16_t Code = 0; // value of the drive's homing-method register
    int NameIndex = 0;      // 0-based position in the method name list
    int SensorIndex = 0;    // 0 = no sensor, else 1-based position in the sensor list
    bool UsesZeroEncoder = false;
    bool UsesSearchAngle = false;
    bool UsesAcceleration = false;
    bool UsesSpeed = false;
    bool UsesZeroSpeed = false;
    bool UsesOffset = false;
};

struct HomingDescriptors {
    QStringList MethodNames;
    QStringList SensorNames;
    std::vector<HomingMethod> Methods;
    bool IsEmpty() const {
        return MethodNames.isEmpty() && SensorNames.isEmpty() && Methods.empty();
    }
    // The record whose Code equals `code`, or nullptr.
    const HomingMethod* FindByCode(std::uint16_t code) const;
};

// "Homing.dll", "Homing_Tarn.dll", "Homing_Orca.dll"; empty for Power.
QString HomingFileName(DeviceKind kind);

// Reads a homing descriptor file: header, "Method Descriptors" section up to "End",
// "Sensor Descriptors" section up to "End", two skipped lines, then one record per line
// (nine tab-separated integers). On failure the descriptors are empty, the result is false
// and a message is shown (`fileName` names the file in it):
//   file missing:  "Fail to Open " + fileName + " File"
//   damaged:       "Fatal Error in " + fileName + "\rLoad Default Data!"
// Damaged means: a header or section line not accepted, a section without "End", a
// record with a missing or non-numeric field or longer than 99 characters, an empty
// method name list, or no usable record (the page falls back to the first record, so one
// must exist). Records whose NameIndex is outside the method name list or whose
// SensorIndex is beyond the sensor list cannot be shown by the page and are dropped
// without a message. The code keeps the low 16 bits of its number; each flag is one byte
// wide and is true when the low 8 bits of its number are not 0.
bool LoadHomingDescriptors(const QString& path, const QString& fileName, HomingDescriptors& homing);

} // namespace kelm
