#pragma once

#include "core/common/DeviceKind.h"
#include "core/report/CommissioningReport.h"

#include <QImage>
#include <optional>

namespace kelm {

// The last record the oscilloscope plotted, kept by the program session for the
// commissioning report: its picture with the legend and its measurements, and the unit it
// was taken on. The oscilloscope publishes; the report reads, so neither reaches the other.
struct ScopeSnapshot {
    DeviceKind Kind = DeviceKind::Std;
    int Address = 0;
    QImage Picture;
    ReportMeasurements Measurements;
};

class LastScopeRecord {
public:
    void Publish(ScopeSnapshot snapshot) { last_ = std::move(snapshot); }
    // The last record when it was taken on this unit.
    const ScopeSnapshot* For(DeviceKind kind, int address) const {
        return last_ && last_->Kind == kind && last_->Address == address ? &*last_ : nullptr;
    }

private:
    std::optional<ScopeSnapshot> last_;
};

} // namespace kelm
