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

QString ChannelUnit(const ScopeRecording& recording, int channel) {
    const auto at = static_cast<std::size_t>(channel == 0 ? 0 : 1);
    if (!recording.Units[at].isEmpty())
        return recording.Units[at];
    // "<units> <unit>/div": the word between the number and "/div".
    const QString caption = recording.Channels[at].Scale.trimmed();
    const qsizetype slash = caption.lastIndexOf(QStringLiteral("/div"));
    if (slash <= 0)
        return {};
    const qsizetype space = caption.lastIndexOf(QLatin1Char(' '), slash - 1);
    return space < 0 ? QString() : caption.mid(space + 1, slash - space - 1).trimmed();
}

QString ScopeCsvText(const ScopeRecording& recording) {
    QString text = QStringLiteral("Time [ms]");
    for (int ch = 0; ch < 2; ++ch) {
        const QString& signal = recording.Channels[static_cast<std::size_t>(ch)].Signal;
        QString name = signal.isEmpty() ? QStringLiteral("Channel") : signal;
        if (const QString unit = ChannelUnit(recording, ch); !unit.isEmpty())
            name += QStringLiteral(" [") + unit + QLatin1Char(']');
        text += QLatin1Char(',') + Field(name);
    }
    text += QStringLiteral("\r\n");
    const double offset1 = recording.Channels[0].Offset;
    const double offset2 = recording.Channels[1].Offset;
    for (const ScopePoint& point : recording.Points)
        text += Number(point.X) + QLatin1Char(',') + Number(point.Y1 - offset1) + QLatin1Char(',') +
                Number(point.Y2 - offset2) + QStringLiteral("\r\n");
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
