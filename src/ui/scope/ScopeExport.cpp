#include "ui/scope/ScopeExport.h"

#include "core/files/ScopeCsv.h"
#include "core/seams/Messages.h"
#include "ui/seams/DialogRunner.h"

#include <QLineSeries>
#include <QWidget>

namespace kelm {

void ExportScopeCsv(QWidget* parent, const ScopeRecording& recording) {
    FileDialogRequest request;
    request.Filter = QStringLiteral("CSV Files (*.csv)");
    request.DefaultExtension = QStringLiteral("csv");
    if (Dialogs().GetSaveFileName(parent, request))
        WriteScopeCsv(recording, request.FileName);
}

void SaveScopePicture(QWidget* parent, QWidget& chart) {
    FileDialogRequest request;
    request.Filter = QStringLiteral("PNG Pictures (*.png)");
    request.DefaultExtension = QStringLiteral("png");
    if (Dialogs().GetSaveFileName(parent, request) && !chart.grab().save(request.FileName, "PNG"))
        ShowError(QStringLiteral("Unable save: ") + request.FileName);
}

void FillScopePoints(const QLineSeries& first, const QLineSeries& second,
                     ScopeRecording& recording) {
    recording.Points.clear();
    for (int i = 0; i < first.count(); ++i)
        recording.Points.push_back(
            {first.at(i).x(), first.at(i).y(), i < second.count() ? second.at(i).y() : 0.0});
}

} // namespace kelm
