#include "gui/ReportDocument.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>

namespace kelm {

bool IsHtmlTarget(const QString& path) {
    return path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive);
}

ReplaceOutcome WriteReportFile(const CommissioningReport& report, const QString& path,
                               const QImage& picture, ReadOnlyFiles readOnly) {
    const QString html = ReportHtml(report);
    if (IsHtmlTarget(path))
        return WriteReplacing(
            path, [&html](QIODevice& out) { out.write(html.toUtf8()); }, readOnly);
    return WriteReplacing(
        path,
        [&](QIODevice& out) {
            QPdfWriter writer(&out);
            writer.setTitle(QStringLiteral("Commissioning Report"));
            writer.setCreator(report.Program);
            writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                             QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
            QTextDocument document;
            if (!report.PictureName.isEmpty() && !picture.isNull())
                document.addResource(QTextDocument::ImageResource, QUrl(report.PictureName),
                                     picture);
            document.setHtml(html);
            document.print(&writer);
        },
        readOnly);
}

} // namespace kelm
