#include "core/rules/OscilloLegend.h"

#include "core/files/ScopeCsv.h"
#include "core/files/ScopeRecording.h"

namespace kelm {

namespace {

QString EdgeText(int slope) {
    switch (slope) {
    case 1:
        return QStringLiteral("rising edge");
    case 2:
        return QStringLiteral("falling edge");
    case 3:
        return QStringLiteral("auto");
    default:
        return QStringLiteral("edge %1").arg(slope);
    }
}

} // namespace

QStringList OscilloLegendLines(const ScopeRecording& recording, const QString& drive,
                               const QDateTime& when) {
    QStringList lines;
    for (int ch = 0; ch < 2; ++ch) {
        const ScopeChannelSettings& channel = recording.Channels[static_cast<std::size_t>(ch)];
        QString line = QStringLiteral("Channel %1: ").arg(ch + 1);
        if (!channel.Enabled) {
            lines << line + QStringLiteral("off");
            continue;
        }
        line += channel.Signal.isEmpty() ? QStringLiteral("-") : channel.Signal;
        if (!channel.Scale.isEmpty())
            line += QStringLiteral(", ") + channel.Scale;
        if (channel.Offset != 0) {
            const QString unit = ChannelUnit(recording, ch);
            line += QStringLiteral(", offset %1").arg(channel.Offset) +
                    (unit.isEmpty() ? QString() : QLatin1Char(' ') + unit);
        }
        lines << line;
    }
    QString trigger = QStringLiteral("Trigger: ") + EdgeText(recording.TriggerSlope);
    if (recording.TriggerSlope != 3)
        trigger += QStringLiteral(", level %1").arg(recording.TriggerLevel);
    trigger += QStringLiteral(", delay %1 ms").arg(recording.Delay);
    if (!recording.TimeBase.isEmpty())
        trigger += QStringLiteral("; time base ") + recording.TimeBase;
    lines << trigger;
    if (!drive.isEmpty())
        lines << QStringLiteral("Drive: ") + drive;
    lines << QStringLiteral("Date: ") + when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    return lines;
}

} // namespace kelm
