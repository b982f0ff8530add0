#pragma once

#include "core/files/ScopeRecording.h"

#include <QList>
#include <QPointF>
#include <QTimer>
#include <QWidget>
#include <array>

class QChartView;
class QLabel;
class QLineSeries;
class QPushButton;
class QValueAxis;

namespace kelm {

class GraphCursors;
class MeasurementPanel;
class OffsetTrack;
class ReferenceOverlay;
class TPNumEdit;

// A stored oscilloscope record (".kls") shown read-only: its settings as texts, both
// traces, View/Hide switches, offsets (field or marker) applied as shifts of the stored
// points, the cursors, and the CSV and picture export. Any number may be open.
class TFRegOsc : public QWidget {
    Q_OBJECT
public:
    explicit TFRegOsc(QWidget* parent = nullptr);

    // Reads the file (its errors are reported by the reader); false when nothing can be
    // shown, and the caller then closes the viewer.
    bool Load(const QString& path);

    QLineSeries* Trace(int channel) const { return traces_[static_cast<std::size_t>(channel)]; }
    TPNumEdit* OffsetField(int channel) const {
        return offsets_[static_cast<std::size_t>(channel)];
    }
    QPushButton* Switch(int channel) const { return switches_[static_cast<std::size_t>(channel)]; }
    OffsetTrack* Track(int channel) const { return tracks_[static_cast<std::size_t>(channel)]; }
    // Other record files drawn dashed over this one.
    ReferenceOverlay& Overlays() const { return *overlays_; }
    // Shifts a trace to a new offset (the field's and the marker's handler).
    void ApplyOffset(int channel, int offset);
    // The record as shown (offsets applied): what "Export CSV…" writes.
    void FillRecording(ScopeRecording& recording) const;
    // The units of the two signals, for the measurements.
    void SetUnits(const std::array<QString, 2>& units);
    // The measurements of the record (whole, or between the time cursors), with the step
    // figures.
    MeasurementPanel& Measurements() const { return *measures_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void SwitchChanged(int channel);
    void LayoutTracks();
    void Measure();

    QChartView* view_ = nullptr;
    std::array<QLineSeries*, 2> traces_{};
    std::array<OffsetTrack*, 2> tracks_{};
    std::array<QValueAxis*, 2> axes_{};
    QValueAxis* timeAxis_ = nullptr;
    std::array<QPushButton*, 2> switches_{};
    std::array<TPNumEdit*, 2> offsets_{};
    std::array<QLabel*, 2> signals_{};
    std::array<QLabel*, 2> scales_{};
    std::array<int, 2> lastOffsets_{0, 0};
    std::array<int, 2> fileOffsets_{0, 0};
    std::array<QList<QPointF>, 2> stored_; // the points as the file holds them
    ScopeRecording recording_;             // the file's settings
    QLabel* level_ = nullptr;
    QLabel* timeBase_ = nullptr;
    QLabel* delay_ = nullptr;
    QLabel* edge_ = nullptr;
    QLabel* status_ = nullptr;
    GraphCursors* cursors_ = nullptr;
    ReferenceOverlay* overlays_ = nullptr;
    MeasurementPanel* measures_ = nullptr;
    std::array<QLineSeries*, 2> cursorLines_{};
    std::array<QString, 2> units_;
    QTimer layoutTimer_;
    QTimer measureTimer_; // one recount after a burst of changes
};

// Opens a viewer for a file inside the main window's frame (the ShellFlows entry).
void OpenTraceViewer(class ShellHost& shell, const QString& path);

} // namespace kelm
