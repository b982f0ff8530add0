#pragma once

#include "core/analysis/TraceMeasurements.h"
#include "core/files/ScopeRecording.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace kelm {

// Where the step of a record is: at the trigger (the sample at the record's delay), or
// where the other channel, holding the reference, steps.
enum class StepSampleFrom { Trigger, Channel1, Channel2 };

struct MeasureOptions {
    // Only the samples between these times (ms, either order) when both are given: the
    // time cursors.
    std::optional<double> From;
    std::optional<double> To;
    StepSampleFrom Step = StepSampleFrom::Trigger;
    double Band = 0.02; // settling band, a fraction of the step's height
};

// The figures of both channels of a record. A channel that is off, or has no samples in
// the range, has no figures; a channel without a step, or the channel holding the
// reference, has no step figures.
struct RecordFigures {
    double FromMs = 0; // the range measured
    double ToMs = 0;
    bool Whole = true;
    std::optional<double> StepMs; // where the step was found
    StepSampleFrom Step = StepSampleFrom::Trigger;
    double Band = 0.02;
    std::array<std::optional<TraceStatistics>, 2> Statistics;
    std::array<std::optional<StepFigures>, 2> Steps;
};

// Measures the record as a drive holds it: each point's value less the channel's display
// offset.
RecordFigures MeasureRecord(const ScopeRecording& record, const MeasureOptions& options);

// One line of the measurements panel: the figure and its text for each channel, with its
// unit ("—" where there is no figure).
struct MeasurementRow {
    QString Label;
    std::array<QString, 2> Values;
};
std::vector<MeasurementRow> MeasurementRows(const RecordFigures& figures,
                                            const std::array<QString, 2>& units);
// "Whole record" or "12.0 ms to 48.5 ms", then where the step is ("step at 50.0 ms (trigger)",
// "... (from channel 1)" or "no step").
QString MeasurementRange(const RecordFigures& figures);
// The rows as comment lines for the head of a CSV file: "# " then comma-separated fields.
QStringList MeasurementNotes(const RecordFigures& figures, const std::array<QString, 2>& names,
                             const std::array<QString, 2>& units);
// A figure with a sensible number of decimals for its size: 1234 rpm, 123.4, 12.34, 0.123.
QString FigureText(double value, const QString& unit);

} // namespace kelm
