#include "ui/scope/ScopeExport.h"

#include "core/files/ReplacingWriter.h"
#include "core/files/ScopeCsv.h"
#include "core/seams/Messages.h"
#include "core/text/InputFile.h"
#include "ui/seams/DialogRunner.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <QWidget>

namespace kelm {

namespace {

QString FolderOf(const QString& file) {
    return QFileInfo(file).absolutePath() + QLatin1Char('/');
}

} // namespace

QString ExportScopeCsv(QWidget* parent, const ScopeRecording& recording, const QStringList& notes,
                       const QString& startFolder) {
    FileDialogRequest request;
    request.Filter = QStringLiteral("CSV Files (*.csv)");
    request.DefaultExtension = QStringLiteral("csv");
    request.InitialDir = startFolder;
    if (!Dialogs().GetSaveFileName(parent, request) ||
        !WriteScopeCsv(recording, request.FileName, notes))
        return {};
    return FolderOf(request.FileName);
}

QImage PictureWithLegend(QWidget& chart, const QStringList& legend) {
    const QImage shown = chart.grab().toImage();
    const QFontMetrics metrics(chart.font());
    const int margin = 6;
    const int band = legend.isEmpty() ? 0 : legend.size() * metrics.lineSpacing() + 2 * margin;
    QImage picture(shown.width(), shown.height() + band, QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.drawImage(0, 0, shown);
    painter.setFont(chart.font());
    painter.setPen(Qt::lightGray);
    int y = shown.height() + margin + metrics.ascent();
    for (const QString& line : legend) {
        painter.drawText(margin, y, line);
        y += metrics.lineSpacing();
    }
    return picture;
}

QString SaveScopePicture(QWidget* parent, QWidget& chart, const QStringList& legend,
                         const QString& startFolder) {
    FileDialogRequest request;
    request.Filter = QStringLiteral("PNG Pictures (*.png)");
    request.DefaultExtension = QStringLiteral("png");
    request.InitialDir = startFolder;
    if (!Dialogs().GetSaveFileName(parent, request))
        return {};
    // Encoded first, then written as every other file is: only over a regular file, and
    // replacing it only once the whole picture is written.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ReplaceOutcome outcome{ReplaceResult::WriteFailed, QString()};
    if (PictureWithLegend(chart, legend).save(&buffer, "PNG"))
        outcome = WriteReplacing(request.FileName, [&png](QIODevice& out) { out.write(png); });
    if (!outcome.Written()) {
        ShowError(WithReason(QStringLiteral("Unable save: ") + request.FileName, outcome.Reason));
        return {};
    }
    return FolderOf(request.FileName);
}

void FillScopePoints(const QLineSeries& first, const QLineSeries& second,
                     ScopeRecording& recording) {
    recording.Points.clear();
    for (int i = 0; i < first.count(); ++i)
        recording.Points.push_back(
            {first.at(i).x(), first.at(i).y(), i < second.count() ? second.at(i).y() : 0.0});
}

} // namespace kelm
