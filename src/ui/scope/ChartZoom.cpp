#include "ui/scope/ChartZoom.h"

#include "ui/scope/GraphCursors.h"

#include <QChart>
#include <QChartView>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLineSeries>
#include <QToolButton>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace kelm {

ChartZoom::ChartZoom(const Chart& chart, Home home, GraphCursors& cursors, QObject* parent)
    : QObject(parent), chart_(chart), home_(std::move(home)), cursors_(cursors) {
    for (int axis = 0; axis < 3; ++axis)
        connect(Axis(axis), &QValueAxis::rangeChanged, this, [this, axis] { ShowGrid(axis); });
    // The room follows the view's size (not the plot area, which the labels themselves
    // change).
    chart_.View->installEventFilter(this);
}

QValueAxis* ChartZoom::Axis(int axis) const {
    return axis == 0 ? chart_.Time : chart_.Channels[static_cast<std::size_t>(axis - 1)];
}

// The labels the axis has room for: the time axis' widest label side by side along the
// plot's width, a value axis' labels one above the other along its height.
int ChartZoom::LabelRoom(int axis, double min, double max) const {
    const QValueAxis* shown = Axis(axis);
    // The view less what the value axes' labels and titles and the margins take.
    const QSizeF plot = QSizeF(chart_.View->size()) - QSizeF(130, 60);
    const QFontMetrics metrics(shown->labelsFont());
    if (axis == 0) {
        const QString widest = QString::number(std::max(std::abs(min), max));
        const int label = metrics.horizontalAdvance(widest) + metrics.horizontalAdvance("00");
        return plot.width() > 0 ? static_cast<int>(plot.width() / label) : 12;
    }
    const int label = 2 * metrics.height();
    return plot.height() > 0 ? static_cast<int>(plot.height() / label) : 12;
}

void ChartZoom::ShowRange(int axis, double min, double max) {
    // The grid of the new span first: the chart lays out its ticks as soon as the range
    // changes, and an increment left from a much smaller span would make thousands.
    ShowGrid(axis, min, max);
    Axis(axis)->setRange(min, max);
}

void ChartZoom::ShowGrid(int axis) {
    ShowGrid(axis, Axis(axis)->min(), Axis(axis)->max());
}

void ChartZoom::ShowGrid(int axis, double min, double max) {
    QValueAxis* shown = Axis(axis);
    const double increment =
        oscillo::TickIncrement(min, max, home_(axis).Increment, LabelRoom(axis, min, max));
    if (shown->tickAnchor() != 0)
        shown->setTickAnchor(0);
    if (shown->tickInterval() != increment)
        shown->setTickInterval(increment);
}

bool ChartZoom::eventFilter(QObject* watched, QEvent* event) {
    if (watched == chart_.View && event->type() == QEvent::Resize)
        ShowGrids();
    return QObject::eventFilter(watched, event);
}

void ChartZoom::ShowGrids() {
    for (int axis = 0; axis < 3; ++axis)
        ShowGrid(axis);
}

QWidget* ChartZoom::BuildButtons(QWidget* parent) {
    auto* row = new QWidget(parent);
    row->setObjectName(QStringLiteral("PZoom"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    const auto button = [row, layout](const QString& text, const QString& name) {
        auto* b = new QToolButton(row);
        b->setText(text);
        b->setObjectName(name);
        layout->addWidget(b);
        return b;
    };
    connect(button(QStringLiteral("Reset Zoom"), QStringLiteral("BZoomReset")),
            &QToolButton::clicked, this, [this] { Reset(); });
    timeOnly_ = button(QStringLiteral("X only"), QStringLiteral("BZoomX"));
    timeOnly_->setCheckable(true);
    timeOnly_->setToolTip(QStringLiteral("The mouse zooms the time axis only"));
    connect(timeOnly_, &QToolButton::toggled, this, [this](bool on) { SetTimeOnly(on); });
    connect(button(QStringLiteral("Autoscale"), QStringLiteral("BAutoscale")),
            &QToolButton::clicked, this, [this] { Autoscale(); });
    layout->addStretch(1);
    return row;
}

bool ChartZoom::Zoomed() const {
    for (int axis = 0; axis < 3; ++axis) {
        const oscillo::ValueAxis home = home_(axis);
        const QValueAxis* shown = Axis(axis);
        const double tolerance = 1e-9 * std::max(1.0, std::abs(home.Max - home.Min));
        if (std::abs(shown->min() - home.Min) > tolerance ||
            std::abs(shown->max() - home.Max) > tolerance)
            return true;
    }
    return false;
}

bool ChartZoom::Reset() {
    if (!Zoomed())
        return false;
    chart_.View->chart()->zoomReset();
    for (int axis = 0; axis < 3; ++axis) {
        const oscillo::ValueAxis home = home_(axis);
        ShowRange(axis, home.Min, home.Max);
    }
    return true;
}

void ChartZoom::Autoscale() {
    const oscillo::ValueAxis time = home_(0);
    ShowRange(0, time.Min, time.Max);
    for (std::size_t ch = 0; ch < 2; ++ch) {
        const QLineSeries* trace = chart_.Traces[ch];
        if (!trace->isVisible() || trace->count() == 0)
            continue;
        const QList<QPointF> points = trace->points();
        const auto [low, high] =
            std::minmax_element(points.begin(), points.end(),
                                [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
        const oscillo::ValueAxis fit = oscillo::AutoscaleAxis(low->y(), high->y());
        ShowRange(static_cast<int>(ch) + 1, fit.Min, fit.Max);
    }
}

void ChartZoom::SetTimeOnly(bool timeOnly) {
    if (timeOnly_ != nullptr && timeOnly_->isChecked() != timeOnly)
        timeOnly_->setChecked(timeOnly); // comes back here through toggled
    cursors_.SetZoomBand(timeOnly ? QChartView::HorizontalRubberBand
                                  : QChartView::RectangleRubberBand);
}

} // namespace kelm
