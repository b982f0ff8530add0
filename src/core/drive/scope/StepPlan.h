#pragma once

#include "core/analysis/TraceMeasurements.h"
#include "core/config/ScopeScales.h"
#include "core/drive/scope/ScopeRegisters.h"

#include <QString>
#include <optional>

namespace kelm {

class ParamTable;
struct ScopeRecording;

namespace scope {

// The recorder settings of a speed step: channel 1 records the speed, channel 2 the speed
// reference. The capture triggers on channel 1 crossing a tenth of the step in the step's
// direction, a tenth of the window after the record's start; the step's own sample is
// then found on channel 2, where the reference jumps. The window is the longest that ends
// before the reference goes back to 0.
struct StepCapture {
    int Signal1 = 0; // signal numbers, from 1
    int Signal2 = 0;
    int Scale1 = 0; // units per division
    int Scale2 = 0;
    int TimeWindow = DefaultWindowMs;
    int Delay = 0;
    int Edge = 1;
    int Level = 0;
    static constexpr int DefaultWindowMs = 500;
};

inline constexpr int MinStepMs = 10;
inline constexpr int MaxStepMs = 10000;

// The capture of a step of rpm lasting durationMs; empty with the reason in `refusal` when
// the signal list names no "Speed" or "Speed Reference" or the step is out of range.
std::optional<StepCapture> PlanStep(const ScopeScaleSet& signalSet, int rpm, int durationMs,
                                    QString& refusal);
// Sets the working values the capture needs: window, edge, signals, and what Arm sends.
ArmSettings ApplyStepCapture(ParamTable& scopeTable, const StepCapture& capture);

// Channel 1's figures over a whole record.
struct RecordFigures {
    std::optional<TraceStatistics> Statistics;
    std::optional<StepFigures> Step;
};
// Where the step of a record is: at the trigger's sample (an ordinary capture, channel 2
// unrelated), or where channel 2, the speed reference, steps (which also gives the
// steady-state error).
enum class StepAt { Trigger, Channel2Reference };
RecordFigures MeasureChannel1(const ScopeRecording& recording, StepAt at);

} // namespace scope
} // namespace kelm
