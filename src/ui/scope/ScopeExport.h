#pragma once

#include <QStringList>

class QLineSeries;
class QWidget;

namespace kelm {

struct ScopeRecording;

// "Export CSV…" and "Save Picture…" of the oscilloscope window and the stored trace viewer:
// the save dialog (through the dialog seam), then the CSV writer or the chart as shown.
// Both report their own failures.
void ExportScopeCsv(QWidget* parent, const ScopeRecording& recording,
                    const QStringList& notes = {});
void SaveScopePicture(QWidget* parent, QWidget& chart);
// The two traces as the recording's points (the time of the first trace; a point the
// second trace lacks reads 0).
void FillScopePoints(const QLineSeries& first, const QLineSeries& second,
                     ScopeRecording& recording);

} // namespace kelm
