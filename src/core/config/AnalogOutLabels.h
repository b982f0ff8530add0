#pragma once

#include "core/common/DeviceKind.h"

#include <QString>
#include <QStringList>

namespace kelm {

inline constexpr char AnalogOutLabelsHeader[] = "Kelm Analog Outs Labels";

// Labels of the analog-output selectors: first and second column of the file, one entry
// per register value. Empty lists mean "use the built-in labels".
struct AnalogOutLabels {
    QStringList First;
    QStringList Second;
    bool IsEmpty() const { return First.isEmpty() && Second.isEmpty(); }
};

// "StrMon.dll", "StrMonTarnD.dll", "StrMonOrca.dll"; empty for Power.
QString AnalogOutLabelsFileName(DeviceKind kind);

// Reads an analog-out labels file; `fileName` is the name used in messages. There is no
// ignored second line. On failure both lists are empty, a message is shown and the result
// is false (never fatal):
//   file missing:       "Fail to Open " + fileName + " File\rLoad Default Data!"
//   header not accepted: "Fatal Error in " + fileName + "\rLoad Default Data!"
// Lines longer than 99 characters are cut (labels are texts only).
bool LoadAnalogOutLabels(const QString& path, const QString& fileName, AnalogOutLabels& labels);

} // namespace kelm
