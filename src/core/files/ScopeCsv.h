#pragma once

#include "core/files/SaveTarget.h"
#include "core/files/ScopeRecording.h"

#include <QString>
#include <QStringList>

namespace kelm {

// A recording as comma-separated values for spreadsheets: one header line (time in ms and
// each channel's signal with its unit in brackets), then one line per point with '.' as
// the decimal separator. The values are physical: each channel's display offset is taken
// off again.
QString ScopeCsvText(const ScopeRecording& recording);
// A channel's unit (0 or 1): the one the recording carries, else the unit of its scale
// caption ("50 rpm/div" gives "rpm"); empty when neither names one.
QString ChannelUnit(const ScopeRecording& recording, int channel);
// Writes it as WriteScopeFile does; on failure shows "Unable save: " + path with the reason
// and returns false.
bool WriteScopeCsv(const ScopeRecording& recording, const QString& path,
                   ReadOnlyFiles readOnly = ReadOnlyFiles::Refuse);

// The same with comment lines at its head, each starting with "# " (the measurements):
// readers that skip '#' lines (pandas' comment='#', gnuplot, numpy) read the rest as before.
// A note is written on one line; line breaks in it become blanks.
QString ScopeCsvText(const ScopeRecording& recording, const QStringList& notes);
bool WriteScopeCsv(const ScopeRecording& recording, const QString& path, const QStringList& notes,
                   ReadOnlyFiles readOnly = ReadOnlyFiles::Refuse);

} // namespace kelm
