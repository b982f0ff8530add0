#pragma once

#include "cli/Output.h"
#include "core/common/DeviceKind.h"
#include "core/config/ScopeScales.h"
#include "core/drive/scope/StepPlan.h"
#include "core/files/ScopeRecording.h"

#include <optional>

namespace kelm {
class ScopeCapture;
class TDriver;
} // namespace kelm

namespace kelm::cli {

// What kelmctl scope and kelmctl step share (ScopeCommands.cpp): the kind's signal list,
// the upload of a complete record with the recorder set back to idle, and the record in
// engineering units with the settings it was taken with.
std::optional<ScopeScaleSet> LoadScopeSignals(DeviceKind kind);
bool UploadScopeRecord(TDriver& driver, ScopeCapture& capture);
ScopeRecording ScopeRecordOf(TDriver& driver, const ScopeCapture& capture,
                             const ScopeScaleSet& signalSet);

// --metrics and kelmctl step (StepCommands.cpp): channel 1's figures on stdout, one object
// {overshoot_percent, rise_time_ms, settling_time_ms, steady_state_error, peak, min, max,
// mean, rms} (null: not measurable).
void PrintRecordFigures(OutputFormat format, const scope::RecordFigures& figures);

} // namespace kelm::cli
