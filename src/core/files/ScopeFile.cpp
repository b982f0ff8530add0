#include "core/files/ScopeFile.h"

#include "core/files/ParamFileBody.h"
#include "core/files/ReplacingWriter.h"
#include "core/seams/Messages.h"
#include "core/text/InputFile.h"
#include "core/text/TextLines.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <climits>
#include <cmath>

namespace kelm {
namespace {

const QString TypeLine = QStringLiteral("Oscilloscope Data File");
const QString Separator = QString(77, u'*');

QString ChannelCaption(int channel) {
    return QStringLiteral("\t\t\tChannel %1").arg(channel);
}

// Reads the key lines of the file: each trimmed, its value the text after the first tab.
class KeyLineReader {
public:
    explicit KeyLineReader(QIODevice& device) : reader_(device) {}

    bool ReadLine(QString& line) {
        if (!reader_.ReadLine(line) || reader_.LastLineCut())
            return false;
        line = Trim(line);
        return true;
    }
    void Skip(int lines) {
        QString ignored;
        for (int i = 0; i < lines; ++i)
            reader_.ReadLine(ignored);
    }
    bool ReadText(QString& value) {
        QString line;
        if (!ReadLine(line))
            return false;
        const qsizetype tab = line.indexOf(u'\t');
        value = tab < 0 ? QString() : line.mid(tab + 1);
        return true;
    }
    bool ReadInt(int& value) {
        QString text;
        if (!ReadText(text))
            return false;
        const std::optional<long long> number = ParseInteger(text);
        if (!number || *number < INT_MIN || *number > INT_MAX)
            return false;
        value = static_cast<int>(*number);
        return true;
    }
    bool ReadDecimal(double& value) {
        QString text;
        if (!ReadText(text))
            return false;
        const std::optional<double> number = ParseCommaDecimal(text);
        if (!number)
            return false;
        value = *number;
        return true;
    }

private:
    LineReader reader_;
};

bool ReadChannel(KeyLineReader& in, ScopeChannelSettings& channel) {
    in.Skip(2); // separator and caption
    int enabled = 0;
    ScopeChannelSettings read;
    if (!in.ReadInt(enabled) || !in.ReadText(read.Signal) || !in.ReadText(read.Scale) ||
        !in.ReadInt(read.Offset))
        return false;
    read.Enabled = enabled != 0;
    channel = read;
    return true;
}

bool ReadPoint(KeyLineReader& in, ScopePoint& point) {
    QString line;
    if (!in.ReadLine(line))
        return false;
    const QStringList fields = SplitFields(line);
    if (fields.size() < 4)
        return false;
    const std::optional<double> x = ParseCommaDecimal(fields.at(1));
    const std::optional<double> y1 = ParseCommaDecimal(fields.at(2));
    const std::optional<double> y2 = ParseCommaDecimal(fields.at(3));
    if (!x || !y1 || !y2)
        return false;
    point = {*x, *y1, *y2};
    return true;
}

ScopeReadResult Fail(const char* message, ScopeSection reached) {
    ShowError(QString::fromLatin1(message));
    return {reached >= ScopeSection::GraphSettings, reached};
}

} // namespace

QString ScopeFileFilter() {
    return QStringLiteral("Show File (*.kls)");
}

QString FormatCommaDecimal(double value) {
    if (!std::isfinite(value))
        value = 0;
    double rounded = std::fabs(value) < 1e15 ? std::round(value * 10) / 10 : value;
    if (rounded == 0)
        rounded = 0; // no "-0,0"
    return QString::number(rounded, 'f', 1).replace(u'.', u',');
}

std::optional<double> ParseCommaDecimal(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral("^[+-]?(\\d+(,\\d*)?|,\\d+)([eE][+-]?\\d+)?$"));
    const QString trimmed = Trim(text);
    if (!pattern.match(trimmed).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = QString(trimmed).replace(u',', u'.').toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

AxisRange VerticalAxisRange(double increment) {
    return {-5.001 * increment, 5 * increment};
}

AxisRange TimeAxisRange(double increment) {
    return {0, 10 * increment};
}

bool WriteScopeFile(const ScopeRecording& recording, const QString& path, const FileStamp& stamp,
                    ReadOnlyFiles readOnly) {
    const auto tabbed = [](const char* key, const QString& value) {
        return QString::fromLatin1(key) + u'\t' + value;
    };
    const ReplaceOutcome outcome = WriteReplacing(
        path,
        [&](QIODevice& out) {
            WriteLine(out, QString::fromLatin1(ParamFileFirstLine));
            WriteLine(out, TypeLine);
            WriteLine(out, GeneratedOnLine(stamp));
            WriteLine(out, Separator);
            WriteLine(out, tabbed("Trigger Slope", QString::number(recording.TriggerSlope)));
            WriteLine(out, tabbed("Trigger Level", QString::number(recording.TriggerLevel)));
            WriteLine(out, Separator);
            WriteLine(out, tabbed("Time Base", recording.TimeBase));
            WriteLine(out, tabbed("Delay", QString::number(recording.Delay)));
            for (int i = 0; i < 2; ++i) {
                const ScopeChannelSettings& channel = recording.Channels.at(i);
                WriteLine(out, Separator);
                WriteLine(out, ChannelCaption(i + 1));
                WriteLine(out, tabbed("Enabled", channel.Enabled ? "1" : "0"));
                WriteLine(out, tabbed("Signal", channel.Signal));
                WriteLine(out, tabbed("Scale", channel.Scale));
                WriteLine(out, tabbed("Offset", QString::number(channel.Offset)));
            }
            WriteLine(out, Separator);
            WriteLine(out, QStringLiteral("\t\t\tGraph"));
            WriteLine(out,
                      tabbed("Left Axis Increment", FormatCommaDecimal(recording.LeftIncrement)));
            WriteLine(out,
                      tabbed("Right Axis Increment", FormatCommaDecimal(recording.RightIncrement)));
            WriteLine(out, tabbed("Bottom Axis Increment",
                                  FormatCommaDecimal(recording.BottomIncrement)));
            WriteLine(out,
                      tabbed("Graph Data Nr. Points", QString::number(recording.Points.size())));
            WriteLine(out, QStringLiteral("Graph Data"));
            int index = 0;
            for (const ScopePoint& point : recording.Points) {
                WriteLine(out, QString::number(index++) + u'\t' + FormatCommaDecimal(point.X) +
                                   u'\t' + FormatCommaDecimal(point.Y1) + u'\t' +
                                   FormatCommaDecimal(point.Y2));
            }
        },
        readOnly);
    if (outcome.Written())
        return true;
    ShowError(WithReason(QStringLiteral("Unable save: ") + path, outcome.Reason));
    return false;
}

ScopeReadResult ReadScopeFile(const QString& path, ScopeRecording& recording) {
    QFile file;
    QString reason;
    if (!OpenInputFile(file, path, reason)) {
        ShowError(WithReason(QStringLiteral("Unable open: ") + path, reason));
        return {};
    }
    KeyLineReader in(file);
    QString line1;
    QString line2;
    if (!in.ReadLine(line1) || !in.ReadLine(line2) ||
        line1 != QString::fromLatin1(ParamFileFirstLine) || line2 != TypeLine)
        return Fail("Header file error", ScopeSection::None);
    QString generatedOn;
    in.ReadLine(generatedOn);
    recording.GeneratedOn = generatedOn;

    in.Skip(1);
    int slope = 0;
    int level = 0;
    if (!in.ReadInt(slope) || !in.ReadInt(level))
        return Fail("Error Trigger", ScopeSection::Heading);
    recording.TriggerSlope = slope;
    recording.TriggerLevel = level;

    in.Skip(1);
    QString timeBase;
    int delay = 0;
    if (!in.ReadText(timeBase) || !in.ReadInt(delay))
        return Fail("Error Time Base", ScopeSection::Trigger);
    recording.TimeBase = timeBase;
    recording.Delay = delay;

    if (!ReadChannel(in, recording.Channels[0]))
        return Fail("Error Channel 1", ScopeSection::TimeBase);
    if (!ReadChannel(in, recording.Channels[1]))
        return Fail("Error Channel 2", ScopeSection::Channel1);

    in.Skip(2);
    double left = 0;
    double right = 0;
    double bottom = 0;
    int count = 0;
    if (!in.ReadDecimal(left) || !in.ReadDecimal(right) || !in.ReadDecimal(bottom) ||
        !in.ReadInt(count) || count < 0)
        return Fail("Error Data Graph Settings", ScopeSection::Channel2);
    recording.LeftIncrement = left;
    recording.RightIncrement = right;
    recording.BottomIncrement = bottom;

    in.Skip(1); // "Graph Data"
    recording.Points.clear();
    // The count comes from the file: reserve only what a sane file could hold.
    recording.Points.reserve(static_cast<std::size_t>(std::min(count, 100000)));
    for (int i = 0; i < count; ++i) {
        ScopePoint point;
        if (!ReadPoint(in, point))
            return Fail("Error Data Graph", ScopeSection::GraphSettings);
        recording.Points.push_back(point);
    }
    return {true, ScopeSection::Data};
}

} // namespace kelm
