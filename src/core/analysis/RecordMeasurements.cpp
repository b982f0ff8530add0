#include "core/analysis/RecordMeasurements.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace kelm {

namespace {

const QString None = QStringLiteral("—");

int ChannelOf(StepSampleFrom source) {
    return source == StepSampleFrom::Channel1 ? 0 : source == StepSampleFrom::Channel2 ? 1 : -1;
}

QString Ms(double value) {
    return QString::number(value, 'f', 1) + QStringLiteral(" ms");
}

} // namespace

QString FigureText(double value, const QString& unit) {
    const double size = std::abs(value);
    const int decimals = size >= 1000 ? 0 : size >= 100 ? 1 : size >= 1 ? 2 : 3;
    QString text = QString::number(value, 'f', decimals);
    if (text.startsWith(QLatin1Char('-')) && text.toDouble() == 0)
        text.remove(0, 1); // no "-0.00"
    return unit.isEmpty() ? text : text + QLatin1Char(' ') + unit;
}

RecordFigures MeasureRecord(const ScopeRecording& record, const MeasureOptions& options) {
    RecordFigures figures;
    figures.Step = options.Step;
    figures.Band = options.Band;
    const std::vector<ScopePoint>& points = record.Points;
    if (points.empty())
        return figures;
    // The stretch measured: whole, or the points between the cursors.
    std::size_t first = 0;
    std::size_t end = points.size();
    figures.FromMs = points.front().X;
    figures.ToMs = points.back().X;
    if (options.From && options.To) {
        figures.Whole = false;
        figures.FromMs = std::min(*options.From, *options.To);
        figures.ToMs = std::max(*options.From, *options.To);
        while (first < end && points[first].X < figures.FromMs)
            ++first;
        while (end > first && points[end - 1].X > figures.ToMs)
            --end;
    }
    std::array<std::vector<double>, 2> values;
    for (std::size_t i = first; i < end; ++i) {
        values[0].push_back(points[i].Y1 - record.Channels[0].Offset);
        values[1].push_back(points[i].Y2 - record.Channels[1].Offset);
    }
    const double period = points.size() >= 2 ? points[1].X - points[0].X : 1.0;

    const int referenceChannel = ChannelOf(options.Step);
    std::optional<int> stepIndex;
    if (referenceChannel < 0) {
        // The trigger's sample in the whole record; a range without it has no step.
        std::size_t trigger = 0;
        while (trigger < points.size() && points[trigger].X < record.Delay)
            ++trigger;
        if (trigger >= first && trigger < end)
            stepIndex = static_cast<int>(trigger - first);
    } else if (record.Channels[static_cast<std::size_t>(referenceChannel)].Enabled) {
        stepIndex = FindStepIndex(values[static_cast<std::size_t>(referenceChannel)]);
    }
    if (stepIndex)
        figures.StepMs = points[first + static_cast<std::size_t>(*stepIndex)].X;

    for (std::size_t ch = 0; ch < 2; ++ch) {
        if (!record.Channels[ch].Enabled)
            continue;
        figures.Statistics[ch] = MeasureTrace(values[ch]);
        if (!stepIndex || static_cast<int>(ch) == referenceChannel)
            continue;
        StepSearch search;
        search.PeriodMs = period;
        search.StepIndex = *stepIndex;
        search.Band = options.Band;
        const std::span<const double> reference =
            referenceChannel < 0 ? std::span<const double>()
                                 : values[static_cast<std::size_t>(referenceChannel)];
        figures.Steps[ch] = MeasureStep(values[ch], search, reference);
    }
    return figures;
}

std::vector<MeasurementRow> MeasurementRows(const RecordFigures& figures,
                                            const std::array<QString, 2>& units) {
    using Stats = std::optional<TraceStatistics>;
    using Step = std::optional<StepFigures>;
    struct Line {
        QString label;
        std::function<std::optional<double>(const Stats&, const Step&)> value;
        bool percentOrTime; // a unit of its own rather than the channel's
        QString unit;
    };
    const auto stat = [](double TraceStatistics::*field) {
        return [field](const Stats& s, const Step&) -> std::optional<double> {
            if (!s)
                return std::nullopt;
            return (*s).*field;
        };
    };
    const std::vector<Line> lines{
        {QStringLiteral("Minimum"), stat(&TraceStatistics::Minimum), false, {}},
        {QStringLiteral("Maximum"), stat(&TraceStatistics::Maximum), false, {}},
        {QStringLiteral("Mean"), stat(&TraceStatistics::Mean), false, {}},
        {QStringLiteral("RMS"), stat(&TraceStatistics::Rms), false, {}},
        {QStringLiteral("Peak-to-peak"), stat(&TraceStatistics::PeakToPeak), false, {}},
        {QStringLiteral("Overshoot"),
         [](const Stats&, const Step& s) -> std::optional<double> {
             if (!s)
                 return std::nullopt;
             return s->OvershootPercent;
         },
         true, QStringLiteral("%")},
        {QStringLiteral("Rise time 10-90 %"),
         [](const Stats&, const Step& s) { return s ? s->RiseTimeMs : std::nullopt; }, true,
         QStringLiteral("ms")},
        {QStringLiteral("Settling time %1 %").arg(figures.Band * 100),
         [](const Stats&, const Step& s) { return s ? s->SettlingTimeMs : std::nullopt; }, true,
         QStringLiteral("ms")},
        {QStringLiteral("Steady-state error"),
         [](const Stats&, const Step& s) { return s ? s->SteadyStateError : std::nullopt; },
         false,
         {}},
    };
    std::vector<MeasurementRow> rows;
    for (const Line& line : lines) {
        MeasurementRow row{line.label, {}};
        for (std::size_t ch = 0; ch < 2; ++ch) {
            const std::optional<double> value =
                line.value(figures.Statistics[ch], figures.Steps[ch]);
            row.Values[ch] =
                value ? FigureText(*value, line.percentOrTime ? line.unit : units[ch]) : None;
        }
        rows.push_back(row);
    }
    return rows;
}

QString MeasurementRange(const RecordFigures& figures) {
    QString text = figures.Whole ? QStringLiteral("Whole record")
                                 : Ms(figures.FromMs) + QStringLiteral(" to ") + Ms(figures.ToMs);
    if (!figures.StepMs)
        return text + QStringLiteral(", no step");
    const int channel = ChannelOf(figures.Step);
    return text + QStringLiteral(", step at ") + Ms(*figures.StepMs) +
           (channel < 0 ? QStringLiteral(" (trigger)")
                        : QStringLiteral(" (from channel %1)").arg(channel + 1));
}

QStringList MeasurementNotes(const RecordFigures& figures, const std::array<QString, 2>& names,
                             const std::array<QString, 2>& units) {
    const auto field = [](QString text) {
        text.replace(QLatin1Char(','), QLatin1Char(';'));
        return text;
    };
    QStringList notes;
    notes << QStringLiteral("# Measurements,") + field(MeasurementRange(figures));
    notes << QStringLiteral("# Figure,") + field(names[0]) + QLatin1Char(',') + field(names[1]);
    for (const MeasurementRow& row : MeasurementRows(figures, units))
        notes << QStringLiteral("# ") + field(row.Label) + QLatin1Char(',') + field(row.Values[0]) +
                     QLatin1Char(',') + field(row.Values[1]);
    return notes;
}

} // namespace kelm
