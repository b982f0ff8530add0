#pragma once

#include "core/rules/OscilloMath.h"

#include <QObject>
#include <array>
#include <functional>

class QChartView;
class QLineSeries;
class QToolButton;
class QValueAxis;
class QWidget;

namespace kelm {

class GraphCursors;

// Zoom of a scope chart beyond the mouse's rubber band: "Reset Zoom" (and Escape through
// the window) brings every axis back to its home span, "X only" makes the band zoom the
// time axis alone, "Autoscale" fits each shown trace. Every axis keeps a readable grid
// whatever its span: its own increment near home, 1-2-5 steps otherwise.
class ChartZoom : public QObject {
    Q_OBJECT
public:
    struct Chart {
        QChartView* View = nullptr;
        QValueAxis* Time = nullptr;
        std::array<QValueAxis*, 2> Channels{};
        std::array<QLineSeries*, 2> Traces{};
    };
    // The home span of axis 0 (time), 1 (channel 1) or 2 (channel 2).
    using Home = std::function<oscillo::ValueAxis(int axis)>;

    ChartZoom(const Chart& chart, Home home, GraphCursors& cursors, QObject* parent);

    // The row of buttons, parented to parent.
    QWidget* BuildButtons(QWidget* parent);

    // true when an axis spans other than its home.
    bool Zoomed() const;
    // Every axis back home; false when nothing was zoomed.
    bool Reset();
    // Each shown trace with points fills its axis; time spans its home.
    void Autoscale();
    void SetTimeOnly(bool timeOnly);
    // Each axis' grid for its span and the room its labels have.
    void ShowGrids();
    // Axis 0 (time), 1 or 2 (channels) spans min..max, its grid set first.
    void ShowRange(int axis, double min, double max);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QValueAxis* Axis(int axis) const;
    int LabelRoom(int axis, double min, double max) const;
    void ShowGrid(int axis);
    void ShowGrid(int axis, double min, double max);

    Chart chart_;
    Home home_;
    GraphCursors& cursors_;
    QToolButton* timeOnly_ = nullptr;
};

} // namespace kelm
