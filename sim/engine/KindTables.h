#pragma once

#include "core/common/DeviceKind.h"
#include "core/params/ParamTable.h"

#include <QString>
#include <array>

namespace kelm::sim {

using KindTables = std::array<ParamTable, DeviceKindCount>;

// Loads one kind's table from `binFolder` with the program's own loader. Its messages go
// through the message seam; `error` gets a one-line reason on false.
bool LoadKindTable(DeviceKind kind, const QString& binFolder, ParamTable& table, QString& error);

} // namespace kelm::sim
