#include "core/files/ScopeCsv.h"

#include "core/files/ReplacingWriter.h"
#include "core/seams/Messages.h"
#include "core/text/InputFile.h"

namespace kelm {

namespace {

// A header field: quoted when it holds a separator or a quote.
QString Field(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString Number(double value) {
    return QString::number(value, 'g', 12); // always '.', whatever the locale
}

} // namespace

QString ScopeCsvText(const ScopeRecording& recording) {
    QString text = QStringLiteral("Time [ms]");
    for (const ScopeChannelSettings& channel : recording.Channels)
        text += QLatin1Char(',') +
                Field(channel.Signal.isEmpty() ? QStringLiteral("Channel") : channel.Signal);
    text += QStringLiteral("\r\n");
    for (const ScopePoint& point : recording.Points)
        text += Number(point.X) + QLatin1Char(',') + Number(point.Y1) + QLatin1Char(',') +
                Number(point.Y2) + QStringLiteral("\r\n");
    return text;
}

bool WriteScopeCsv(const ScopeRecording& recording, const QString& path, ReadOnlyFiles readOnly) {
    const ReplaceOutcome outcome = WriteReplacing(
        path, [&](QIODevice& out) { out.write(ScopeCsvText(recording).toUtf8()); }, readOnly);
    if (outcome.Written())
        return true;
    ShowError(WithReason(QStringLiteral("Unable save: ") + path, outcome.Reason));
    return false;
}

QString ScopeCsvText(const ScopeRecording& recording, const QStringList& notes) {
    QString text;
    for (QString note : notes) {
        note.replace(QLatin1Char('\r'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
        if (!note.startsWith(QLatin1Char('#')))
            note.prepend(QStringLiteral("# "));
        text += note + QStringLiteral("\r\n");
    }
    return text + ScopeCsvText(recording);
}

bool WriteScopeCsv(const ScopeRecording& recording, const QString& path, const QStringList& notes,
                   ReadOnlyFiles readOnly) {
    const ReplaceOutcome outcome = WriteReplacing(
        path, [&](QIODevice& out) { out.write(ScopeCsvText(recording, notes).toUtf8()); },
        readOnly);
    if (outcome.Written())
        return true;
    ShowError(WithReason(QStringLiteral("Unable save: ") + path, outcome.Reason));
    return false;
}

} // namespace kelm
