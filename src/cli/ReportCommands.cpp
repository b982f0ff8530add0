// kelmctl report: the commissioning report of the drive on line, as PDF or HTML.
#include "cli/Commands.h"
#include "cli/DriveSession.h"
#include "cli/FileArguments.h"
#include "cli/StderrMessages.h"

#include "core/report/ReportSource.h"
#include "gui/ReportDocument.h"

namespace kelm::cli {
namespace {

// --since: a date (from its midnight) or a date and time, local; today when not given.
std::optional<QDateTime> SinceOption(const CommandLine& line) {
    const QDateTime today = QDateTime(QDate::currentDate(), QTime(0, 0));
    if (!line.IsSet(QStringLiteral("since")))
        return today;
    const QString text = line.Value(QStringLiteral("since"));
    if (const QDate date = QDate::fromString(text, Qt::ISODate); date.isValid())
        return QDateTime(date, QTime(0, 0));
    if (const QDateTime time = QDateTime::fromString(text, Qt::ISODate); time.isValid())
        return time;
    CommandLine::Complain(
        QStringLiteral("bad date: %1 (yyyy-MM-dd or yyyy-MM-ddTHH:mm:ss)").arg(text));
    return std::nullopt;
}

} // namespace

// Reads the whole table, then writes the report: identity, the parameters that differ
// from their defaults and the drive's journalled changes since --since.
int RunReport(const QStringList& arguments, const CliOptions&) {
    DriveSession session;
    CommandLine line("report", "FILE");
    AddForceOption(line);
    line.AddValue(QStringLiteral("since"), QStringLiteral("DATE"),
                  QStringLiteral("List the changes from DATE on (yyyy-MM-dd or "
                                 "yyyy-MM-ddTHH:mm:ss; default: today)."));
    if (const auto exit = Prepare(session, line, arguments, 1))
        return *exit;
    const QString path = session.Words().first();
    if (!IsHtmlTarget(path) && !path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return CommandLine::Complain(
            QStringLiteral("a report is written as .pdf or .html: %1").arg(path));
    const auto since = SinceOption(line);
    if (!since)
        return 2;
    if (!CheckOutputFile(path, ReadOnlyPolicy(line)))
        return 2;
    if (const int code = session.Connect())
        return code;
    if (!session.ReadTable())
        return 1;
    const ReportRun run{QStringLiteral("kelmctl " KELM_VERSION), QString(), session.PortText(),
                        static_cast<int>(session.Address()), *since};
    QStringList notes;
    const CommissioningReport report = BuildReport(session.Driver(), run, &notes);
    for (const QString& note : notes)
        PrintMessage(note);
    const ReplaceOutcome outcome = WriteReportFile(report, path, {}, ReadOnlyPolicy(line));
    if (!outcome.Written()) {
        PrintMessage(QStringLiteral("cannot write %1: %2").arg(path, outcome.Reason));
        return 1;
    }
    return 0;
}

} // namespace kelm::cli
