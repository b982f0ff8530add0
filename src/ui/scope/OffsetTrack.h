#pragma once

#include "core/rules/OscilloMath.h"

#include <QWidget>
#include <functional>

class QChartView;

namespace kelm {

class TPNumEdit;

// A channel's offset track beside the chart: a vertical line with top, middle and bottom
// ticks and a marker at the offset. Pressing on the track or the marker and dragging moves
// the marker (its centre stays between the top and bottom ticks); releasing reports the
// offset under it.
class OffsetTrack : public QWidget {
    Q_OBJECT
public:
    // ticksOnRight: the ticks stand right of the line (channel 1) or left of it (channel 2).
    OffsetTrack(QColor colour, bool ticksOnRight, QWidget* parent);

    // The track's span: rows of the top and bottom ticks, and the offset field's range.
    void SetTrack(const oscillo::Track& track);
    // Spans the track along the chart's plot area, top to bottom, for an offset range, and
    // places the marker for the offset again.
    void FollowChart(const QChartView& view, int min, int max, int offset);
    const oscillo::Track& Track() const { return track_; }
    // Places the marker for an offset (no report).
    void SetOffset(int offset);
    int MarkerRow() const { return markerRow_; }
    bool Dragging() const { return dragging_; }
    // A drag ended with the marker at this offset.
    void SetReleaseHandler(std::function<void(int offset)> handler) {
        onRelease_ = std::move(handler);
    }

    QSize sizeHint() const override { return {18, 100}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void MoveMarker(int row);

    QColor colour_;
    bool ticksOnRight_;
    oscillo::Track track_{0, 100, -1, 1};
    int markerRow_ = 50;
    bool dragging_ = false;
    std::function<void(int)> onRelease_;
};

// Binds a channel's offset field and track: Enter in the field (swallowed) or leaving it
// places the marker, releasing a dragged marker writes the field; both then report the
// offset.
void BindOffset(TPNumEdit& field, OffsetTrack& track, const std::function<void(int)>& changed);

} // namespace kelm
