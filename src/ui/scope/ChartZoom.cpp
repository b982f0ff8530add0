#include "ui/scope/ChartZoom.h"

#include "ui/scope/GraphCursors.h"

#include <QChart>
#include <QChartView>
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
}

QValueAxis* ChartZoom::Axis(int axis) const {
    return axis == 0 ? chart_.Time : chart_.Channels[static_cast<std::size_t>(axis - 1)];
}

void ChartZoom::ShowGrid(int axis) {
    QValueAxis* shown = Axis(axis);
    shown->setTickAnchor(0);
    shown->setTickInterval(
        oscillo::TickIncrement(shown->min(), shown->max(), home_(axis).Increment));
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
        Axis(axis)->setRange(home.Min, home.Max);
    }
    return true;
}

void ChartZoom::Autoscale() {
    const oscillo::ValueAxis time = home_(0);
    chart_.Time->setRange(time.Min, time.Max);
    for (std::size_t ch = 0; ch < 2; ++ch) {
        const QLineSeries* trace = chart_.Traces[ch];
        if (!trace->isVisible() || trace->count() == 0)
            continue;
        const QList<QPointF> points = trace->points();
        const auto [low, high] =
            std::minmax_element(points.begin(), points.end(),
                                [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
        const oscillo::ValueAxis fit = oscillo::AutoscaleAxis(low->y(), high->y());
        chart_.Channels[ch]->setRange(fit.Min, fit.Max);
    }
}

void ChartZoom::SetTimeOnly(bool timeOnly) {
    if (timeOnly_ != nullptr && timeOnly_->isChecked() != timeOnly)
        timeOnly_->setChecked(timeOnly); // comes back here through toggled
    cursors_.SetZoomBand(timeOnly ? QChartView::HorizontalRubberBand
                                  : QChartView::RectangleRubberBand);
}

} // namespace kelm
