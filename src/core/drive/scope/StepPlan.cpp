#include "core/drive/scope/StepPlan.h"

#include "core/drive/scope/ScopeRules.h"
#include "core/files/ScopeRecording.h"
#include "core/params/ParamTable.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace kelm::scope {

namespace {

int SignalNamed(const ScopeScaleSet& signalSet, const QString& name) {
    for (std::size_t i = 0; i < signalSet.size(); ++i)
        if (signalSet[i].Name.compare(name, Qt::CaseInsensitive) == 0)
            return SignalNumber(static_cast<int>(i));
    return 0;
}

// The finest scale whose five divisions hold the step with a quarter to spare for the
// overshoot; the coarsest when none does.
int ScaleFor(const ScopeSignal& signal, int rpm) {
    int chosen = 0;
    for (const ScopeScale& scale : signal.Scales) {
        chosen = scale.UnitsPerDivision;
        if (5.0 * scale.UnitsPerDivision >= 1.25 * std::abs(rpm))
            break;
    }
    return chosen;
}

void Set(ParamTable& table, std::uint16_t address, int value) {
    if (ParamEntry* entry = table.FindByAddress(address))
        entry->Value = static_cast<std::int16_t>(value);
}

} // namespace

std::optional<StepCapture> PlanStep(const ScopeScaleSet& signalSet, int rpm, int durationMs,
                                    QString& refusal) {
    StepCapture capture;
    capture.Signal1 = SignalNamed(signalSet, QStringLiteral("Speed"));
    capture.Signal2 = SignalNamed(signalSet, QStringLiteral("Speed Reference"));
    if (capture.Signal1 == 0 || capture.Signal2 == 0) {
        refusal = QStringLiteral("the oscilloscope has no Speed and Speed Reference signals");
        return std::nullopt;
    }
    if (rpm == 0) {
        refusal = QStringLiteral("the step's speed is 0 rpm");
        return std::nullopt;
    }
    if (durationMs < MinStepMs || durationMs > MaxStepMs) {
        refusal = QStringLiteral("the step lasts %1 to %2 ms").arg(MinStepMs).arg(MaxStepMs);
        return std::nullopt;
    }
    // The longest window whose part after the trigger ends while the step is still on.
    for (const int window : TimeWindows)
        if (window - window / 10 <= durationMs)
            capture.TimeWindow = window;
    capture.Delay = capture.TimeWindow / 10;
    capture.Edge = rpm > 0 ? 1 : 2;
    capture.Level = rpm / 10 != 0 ? rpm / 10 : (rpm > 0 ? 1 : -1);
    capture.Scale1 = ScaleFor(*SignalByNumber(signalSet, capture.Signal1), rpm);
    capture.Scale2 = ScaleFor(*SignalByNumber(signalSet, capture.Signal2), rpm);
    return capture;
}

ArmSettings ApplyStepCapture(ParamTable& scopeTable, const StepCapture& capture) {
    Set(scopeTable, TimeWindow, capture.TimeWindow);
    Set(scopeTable, Edge, capture.Edge);
    Set(scopeTable, Signal1, capture.Signal1);
    Set(scopeTable, Signal2, capture.Signal2);
    return ArmSettings{
        static_cast<std::int16_t>(capture.Level), static_cast<std::int16_t>(capture.Delay),
        static_cast<std::int16_t>(capture.Scale1), static_cast<std::int16_t>(capture.Scale2)};
}

RecordFigures MeasureChannel1(const ScopeRecording& recording, StepAt at) {
    std::vector<double> values;
    std::vector<double> reference;
    for (const ScopePoint& point : recording.Points) {
        values.push_back(point.Y1);
        reference.push_back(point.Y2);
    }
    RecordFigures figures;
    figures.Statistics = MeasureTrace(values);
    if (values.size() < 2)
        return figures;
    StepSearch search;
    search.PeriodMs = recording.Points[1].X - recording.Points[0].X;
    if (search.PeriodMs <= 0)
        return figures;
    if (at == StepAt::Trigger) {
        search.StepIndex = static_cast<int>(std::lround(recording.Delay / search.PeriodMs));
        figures.Step = MeasureStep(values, search);
    } else if (const auto index = StepIndexOf(reference)) {
        search.StepIndex = *index;
        figures.Step = MeasureStep(values, search, reference);
    }
    return figures;
}

} // namespace kelm::scope
