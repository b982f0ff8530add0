#pragma once

#include <QString>
#include <QStringList>

class QImage;
class QLineSeries;
class QWidget;

namespace kelm {

struct ScopeRecording;

// "Export CSV…" and "Save Picture…" of the oscilloscope window and the stored trace viewer:
// the save dialog (through the dialog seam) starting in startFolder, then the CSV writer
// (with the note lines at its head) or the chart as shown with the legend lines under it. Both
// report their own failures and return the folder of the file written (ending in '/'), empty when
// nothing was written.
QString ExportScopeCsv(QWidget* parent, const ScopeRecording& recording,
                       const QStringList& notes = {}, const QString& startFolder = {});
QString SaveScopePicture(QWidget* parent, QWidget& chart, const QStringList& legend = {},
                         const QString& startFolder = {});
// The chart's picture with the legend lines in a band under it.
QImage PictureWithLegend(QWidget& chart, const QStringList& legend);
// The two traces as the recording's points (the time of the first trace; a point the
// second trace lacks reads 0).
void FillScopePoints(const QLineSeries& first, const QLineSeries& second,
                     ScopeRecording& recording);

} // namespace kelm
