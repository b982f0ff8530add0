#include "ui/scope/ScopeExport.h"

#include "core/files/ReplacingWriter.h"
#include "core/files/ScopeCsv.h"
#include "core/seams/Messages.h"
#include "core/text/InputFile.h"
#include "ui/seams/DialogRunner.h"

#include <QBuffer>
#include <QLineSeries>
#include <QWidget>

namespace kelm {

void ExportScopeCsv(QWidget* parent, const ScopeRecording& recording, const QStringList& notes) {
    FileDialogRequest request;
    request.Filter = QStringLiteral("CSV Files (*.csv)");
    request.DefaultExtension = QStringLiteral("csv");
    if (Dialogs().GetSaveFileName(parent, request))
        WriteScopeCsv(recording, request.FileName, notes);
}

void SaveScopePicture(QWidget* parent, QWidget& chart) {
    FileDialogRequest request;
    request.Filter = QStringLiteral("PNG Pictures (*.png)");
    request.DefaultExtension = QStringLiteral("png");
    if (!Dialogs().GetSaveFileName(parent, request))
        return;
    // Encoded first, then written as every other file is: only over a regular file, and
    // replacing it only once the whole picture is written.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ReplaceOutcome outcome{ReplaceResult::WriteFailed, QString()};
    if (chart.grab().save(&buffer, "PNG"))
        outcome = WriteReplacing(request.FileName, [&png](QIODevice& out) { out.write(png); });
    if (!outcome.Written())
        ShowError(WithReason(QStringLiteral("Unable save: ") + request.FileName, outcome.Reason));
}

void FillScopePoints(const QLineSeries& first, const QLineSeries& second,
                     ScopeRecording& recording) {
    recording.Points.clear();
    for (int i = 0; i < first.count(); ++i)
        recording.Points.push_back(
            {first.at(i).x(), first.at(i).y(), i < second.count() ? second.at(i).y() : 0.0});
}

} // namespace kelm
