#pragma once

#include "core/analysis/RecordMeasurements.h"
#include "core/analysis/ReferenceSet.h"
#include "core/common/DeviceKind.h"

#include <QTimer>
#include <QWidget>

class QComboBox;
class QTableWidget;

namespace kelm {

class MeasurementPanel;
class ParamTable;
class ReferenceOverlay;
class ShellHost;
class TFOscillo;

// The loop settings a reference's legend compares: the speed and current loop registers
// of the kind, as the drive holds them (DriveValue), in the table's order of the pages.
GainSnapshot LoopGains(const ParamTable& table, DeviceKind kind);

// The column beside the oscilloscope's chart: the measurements of the live record (whole,
// or between the time cursors; step from the trigger or from the other channel) and its
// references. It reads the window's traces and cursors; it never writes to the drive.
class ScopeWorkbench : public QWidget {
    Q_OBJECT
public:
    ScopeWorkbench(TFOscillo& scope, ShellHost& shell, QWidget* parent);

    // A capture was plotted: its loop settings are those of the live record from now on.
    void Captured();
    // The measurements as comment lines for the head of the CSV export.
    QStringList Notes();

    ReferenceOverlay& References() const { return *references_; }
    QTableWidget* Table() const;
    QComboBox* StepChoice() const;
    const RecordFigures& Figures() const { return figures_; }

private:
    // The live record as drawn, with the offsets that were added to it.
    ScopeRecording LiveRecord() const;
    void Refresh();

    TFOscillo& scope_;
    ShellHost& shell_;
    GainSnapshot liveGains_;
    RecordFigures figures_;
    std::array<QString, 2> names_;
    std::array<QString, 2> units_;
    ReferenceOverlay* references_ = nullptr;
    MeasurementPanel* measures_ = nullptr;
    QTimer refresh_; // one recount after a burst of trace or cursor changes
};

} // namespace kelm
