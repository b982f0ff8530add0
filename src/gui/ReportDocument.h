#pragma once

#include "core/files/ReplacingWriter.h"
#include "core/report/CommissioningReport.h"

#include <QImage>

namespace kelm {

// The report written as HTML (a name ending ".html" or ".htm") or as an A4 PDF, replacing the
// file only once it has been written. picture: the image the report's PictureName names (the
// PDF embeds it; an HTML page refers to a file of that name beside it).
ReplaceOutcome WriteReportFile(const CommissioningReport& report, const QString& path,
                               const QImage& picture = {},
                               ReadOnlyFiles readOnly = ReadOnlyFiles::Refuse);

// The target is an HTML page rather than a PDF.
bool IsHtmlTarget(const QString& path);

} // namespace kelm
