#pragma once

#include "core/files/SaveTarget.h"
#include "core/files/ScopeRecording.h"

#include <QString>

namespace kelm {

// A recording as comma-separated values for spreadsheets: one header line (time in ms and
// each channel's signal), then one line per point with '.' as the decimal separator.
QString ScopeCsvText(const ScopeRecording& recording);
// Writes it as WriteScopeFile does; on failure shows "Unable save: " + path with the reason
// and returns false.
bool WriteScopeCsv(const ScopeRecording& recording, const QString& path,
                   ReadOnlyFiles readOnly = ReadOnlyFiles::Refuse);

} // namespace kelm
