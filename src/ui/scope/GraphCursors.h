#pragma once

#include "core/rules/GraphCursorMath.h"

#include <QObject>
#include <QString>
#include <array>

class QAbstractButton;
class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QRadioButton;
class QValueAxis;

namespace kelm {

// The two measuring cursors of a scope chart (the oscilloscope window and the stored trace
// viewer): vertical time cursors or horizontal level cursors on one channel's axis, placed
// and dragged with the left mouse button while the switch is on; readouts below the chart.
// While the cursors are on, mouse zoom and panning are off.
class GraphCursors : public QObject {
    Q_OBJECT
public:
    struct Controls {
        QChartView* View = nullptr;
        QLineSeries* Cursor1 = nullptr;
        QLineSeries* Cursor2 = nullptr;
        QValueAxis* TimeAxis = nullptr;
        std::array<QValueAxis*, 2> ChannelAxes{};
        QAbstractButton* Switch = nullptr;
        QRadioButton* Time = nullptr;
        QRadioButton* Channel1 = nullptr;
        QRadioButton* Channel2 = nullptr;
        QLabel* Readout1 = nullptr;
        QLabel* Readout2 = nullptr;
        QLabel* Difference = nullptr;
    };

    GraphCursors(const Controls& controls, QObject* parent);

    int Mode() const { return mode_; }
    // The units the readouts carry: the time axis' and each channel's.
    void SetUnits(const QString& time, const std::array<QString, 2>& channels);
    // The rubber band the chart zooms with while the cursors are off.
    void SetZoomBand(int band);
    // Stretches both lines to the current axis limits (after a scale or time-base change).
    void Respan();
    // Clears and places both cursors for the current mode.
    void Reset();
    // Places cursor (0 or 1) at a pixel position of the chart view.
    void MoveTo(int cursor, QPointF viewPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SwitchClicked();
    void ModeClicked(int mode);
    QValueAxis* ValueAxis() const;
    cursors::AxisMap TimeMap() const;
    cursors::AxisMap ValueMap() const;
    std::optional<double> CursorValue(int cursor) const;
    void ShowReadouts();

    Controls c_;
    int mode_ = cursors::Off;
    int dragged_ = -1;
    QString timeUnit_;
    std::array<QString, 2> channelUnits_;
    int zoomBand_ = 1; // QChartView::RectangleRubberBand
};

} // namespace kelm
