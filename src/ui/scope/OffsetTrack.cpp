#include "ui/scope/OffsetTrack.h"

#include "ui/widgets/TPNumEdit.h"

#include <QChart>
#include <QChartView>
#include <QMouseEvent>
#include <QPainter>

namespace kelm {

OffsetTrack::OffsetTrack(QColor colour, bool ticksOnRight, QWidget* parent)
    : QWidget(parent), colour_(colour), ticksOnRight_(ticksOnRight) {
    setFixedWidth(18);
    setCursor(Qt::SizeVerCursor);
}

void OffsetTrack::SetTrack(const oscillo::Track& track) {
    track_ = track;
    update();
}

void BindOffset(TPNumEdit& field, OffsetTrack& track, const std::function<void(int)>& changed) {
    const auto typed = [&track, changed](TPNumEdit& edit) {
        track.SetOffset(edit.RdValore());
        changed(edit.RdValore());
    };
    field.SetKeyHandler([typed](TPNumEdit& edit, QKeyEvent& key) {
        if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter)
            return false;
        typed(edit);
        return true;
    });
    field.SetExitHandler(typed);
    track.SetReleaseHandler([&field, changed](int offset) {
        field.WrValore(offset);
        changed(offset);
    });
}

void OffsetTrack::FollowChart(const QChartView& view, int min, int max, int offset) {
    const QChart* chart = view.chart();
    const QRectF plot = chart->plotArea();
    const auto row = [&](QPointF point) {
        return mapFromGlobal(
                   view.viewport()->mapToGlobal(view.mapFromScene(chart->mapToScene(point))))
            .y();
    };
    SetTrack({row(plot.topLeft()), row(plot.bottomLeft()), min, max});
    SetOffset(offset);
}

void OffsetTrack::SetOffset(int offset) {
    markerRow_ = oscillo::MarkerRow(track_, offset);
    update();
}

void OffsetTrack::MoveMarker(int row) {
    markerRow_ = oscillo::ClampRow(track_, row);
    update();
}

void OffsetTrack::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    const QColor line = isEnabled() ? colour_ : QColor(Qt::darkGray);
    p.setPen(line);
    const int x = width() / 2;
    p.drawLine(x, track_.Top - 2, x, track_.Bottom + 2);
    const int tickFrom = ticksOnRight_ ? x : x - 6;
    const int middle = (track_.Top + track_.Bottom) / 2;
    for (const int row : {track_.Top, middle, track_.Bottom})
        p.drawLine(tickFrom, row, tickFrom + 6, row);
    if (!isEnabled())
        return;
    // The marker: a small triangle pointing at the chart.
    const int tip = ticksOnRight_ ? width() - 1 : 0;
    const int back = ticksOnRight_ ? 1 : width() - 2;
    const QPolygon marker{{tip, markerRow_}, {back, markerRow_ - 5}, {back, markerRow_ + 5}};
    p.setBrush(colour_);
    p.drawPolygon(marker);
}

void OffsetTrack::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    dragging_ = true;
    MoveMarker(static_cast<int>(event->position().y()));
}

void OffsetTrack::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_)
        MoveMarker(static_cast<int>(event->position().y()));
}

void OffsetTrack::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton)
        return;
    dragging_ = false;
    if (onRelease_)
        onRelease_(oscillo::OffsetAtRow(track_, markerRow_));
}

} // namespace kelm
