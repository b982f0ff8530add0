#pragma once

#include <optional>
#include <span>

namespace kelm {

// Figures of one channel over a stretch of a record (the whole record, or the samples
// between the time cursors).
struct TraceStatistics {
    double Minimum = 0;
    double Maximum = 0;
    double Mean = 0;
    double Rms = 0;
    double PeakToPeak = 0;
};

// What a step response looks like. Times are in milliseconds from the step; a figure the
// record cannot give (no settling inside the record, no reference) is empty.
struct StepFigures {
    double Initial = 0; // mean of the samples before the step
    double Final = 0;   // mean of the last tenth of the samples after it
    double Peak = 0;    // the extreme reached in the step's direction
    double OvershootPercent = 0;
    std::optional<double> RiseTimeMs;       // 10 % to 90 % of the way
    std::optional<double> SettlingTimeMs;   // from the step to the last exit from the band
    std::optional<double> SteadyStateError; // reference's final value minus Final
};

// How the step is looked for. StepIndex is the sample where the step is applied (the
// trigger's sample); Band is the settling band as a fraction of the step's height.
struct StepSearch {
    double PeriodMs = 1;
    int StepIndex = 0;
    double Band = 0.02;
};

// Empty for an empty stretch.
std::optional<TraceStatistics> MeasureTrace(std::span<const double> values);

// Empty when there is no step: no samples after the step index, or a response whose
// final value is where it started. reference (same length as values, may be empty) gives
// the value the response should reach, for the steady-state error.
std::optional<StepFigures> MeasureStep(std::span<const double> values, const StepSearch& search,
                                       std::span<const double> reference = {});

// The sample where a reference trace steps: the first that has gone more than a tenth of the
// way from its starting value to its final one (the first sample, and the mean of the last
// tenth), so a ramped reference steps where its ramp starts. Empty without a step.
std::optional<int> FindStepIndex(std::span<const double> reference);

// The sample where a recorded reference makes its step: the first one past half the way
// from its first value to its extreme. Empty when the reference does not move.
std::optional<int> StepIndexOf(std::span<const double> reference);

} // namespace kelm
