#include "ui/scope/GraphCursors.h"

#include <QAbstractButton>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QMouseEvent>
#include <QRadioButton>
#include <QValueAxis>

namespace kelm {

GraphCursors::GraphCursors(const Controls& controls, QObject* parent)
    : QObject(parent), c_(controls) {
    c_.View->viewport()->installEventFilter(this);
    connect(c_.Switch, &QAbstractButton::clicked, this, [this] { SwitchClicked(); });
    connect(c_.Time, &QRadioButton::clicked, this, [this] { ModeClicked(cursors::TimeMode); });
    connect(c_.Channel1, &QRadioButton::clicked, this,
            [this] { ModeClicked(cursors::Channel1Mode); });
    connect(c_.Channel2, &QRadioButton::clicked, this,
            [this] { ModeClicked(cursors::Channel2Mode); });
    // After every change of the plot area or an axis, the lines reach the limits again.
    connect(c_.View->chart(), &QChart::plotAreaChanged, this, [this] { Respan(); });
    for (QValueAxis* axis : {c_.TimeAxis, c_.ChannelAxes[0], c_.ChannelAxes[1]})
        connect(axis, &QValueAxis::rangeChanged, this, [this] { Respan(); });
    Reset();
}

void GraphCursors::SwitchClicked() {
    const bool on = c_.Switch->isChecked();
    mode_ = on ? cursors::TimeMode : cursors::Off;
    c_.View->setRubberBand(on ? QChartView::NoRubberBand
                              : static_cast<QChartView::RubberBand>(zoomBand_));
    if (on)
        c_.Time->setChecked(true);
    Reset();
}

void GraphCursors::SetUnits(const QString& time, const std::array<QString, 2>& channels) {
    timeUnit_ = time;
    channelUnits_ = channels;
    ShowReadouts();
}

void GraphCursors::SetZoomBand(int band) {
    zoomBand_ = band;
    if (mode_ == cursors::Off)
        c_.View->setRubberBand(static_cast<QChartView::RubberBand>(band));
}

void GraphCursors::ModeClicked(int mode) {
    if (mode_ != mode && mode_ != cursors::Off)
        mode_ = mode;
    Reset();
}

QValueAxis* GraphCursors::ValueAxis() const {
    const int channel = cursors::ModeChannel(mode_);
    return c_.ChannelAxes[static_cast<std::size_t>(channel < 0 ? 0 : channel)];
}

cursors::AxisMap GraphCursors::TimeMap() const {
    QChart* chart = c_.View->chart();
    const QPointF low = chart->mapToPosition(QPointF(c_.TimeAxis->min(), 0));
    const QPointF high = chart->mapToPosition(QPointF(c_.TimeAxis->max(), 0));
    return {c_.TimeAxis->min(), c_.TimeAxis->max(), low.x(), high.x()};
}

cursors::AxisMap GraphCursors::ValueMap() const {
    QValueAxis* axis = ValueAxis();
    QChart* chart = c_.View->chart();
    QLineSeries* onAxis = c_.Cursor1;
    const QPointF low = chart->mapToPosition(QPointF(0, axis->min()), onAxis);
    const QPointF high = chart->mapToPosition(QPointF(0, axis->max()), onAxis);
    return {axis->min(), axis->max(), low.y(), high.y()};
}

void GraphCursors::Reset() {
    dragged_ = -1;
    c_.Cursor1->clear();
    c_.Cursor2->clear();
    const bool on = mode_ != cursors::Off;
    for (QRadioButton* button : {c_.Time, c_.Channel1, c_.Channel2}) {
        button->setEnabled(on);
        if (!on) {
            button->setAutoExclusive(false);
            button->setChecked(false);
            button->setAutoExclusive(true);
        }
    }
    if (!on) {
        ShowReadouts();
        return;
    }
    // Both cursor series follow the mode's value axis.
    for (QLineSeries* series : {c_.Cursor1, c_.Cursor2}) {
        for (QAbstractAxis* axis : series->attachedAxes())
            if (axis != c_.TimeAxis)
                series->detachAxis(axis);
        series->attachAxis(ValueAxis());
    }
    QChart* chart = c_.View->chart();
    // The middle of the time axis (five grid increments at home, also when zoomed or when
    // a narrow chart shows fewer labels).
    const double midTime = (c_.TimeAxis->min() + c_.TimeAxis->max()) / 2;
    const QPointF middle = chart->mapToPosition(QPointF(midTime, 0), c_.Cursor1);
    const QPointF view = c_.View->mapFromScene(chart->mapToScene(middle));
    if (mode_ == cursors::TimeMode) {
        MoveTo(0, view + QPointF(-10, 0));
        MoveTo(1, view + QPointF(10, 0));
    } else {
        MoveTo(0, view + QPointF(0, -10));
        MoveTo(1, view + QPointF(0, 10));
    }
    dragged_ = -1;
}

void GraphCursors::MoveTo(int cursor, QPointF viewPos) {
    if (mode_ == cursors::Off)
        return;
    QChart* chart = c_.View->chart();
    const QPointF pos = chart->mapFromScene(c_.View->mapToScene(viewPos.toPoint()));
    QLineSeries* series = cursor == 0 ? c_.Cursor1 : c_.Cursor2;
    std::pair<QPointF, QPointF> line;
    QValueAxis* axis = ValueAxis();
    if (mode_ == cursors::TimeMode) {
        const double t = cursors::ValueAt(TimeMap(), pos.x());
        line = cursors::TimeCursorLine(t, axis->min(), axis->max());
    } else {
        const double y = cursors::ValueAt(ValueMap(), pos.y());
        line = cursors::LevelCursorLine(y, c_.TimeAxis->min(), c_.TimeAxis->max());
    }
    series->replace(QList<QPointF>{line.first, line.second});
    const int channel = cursors::ModeChannel(mode_);
    const QString colour = channel == 0   ? QStringLiteral("red")
                           : channel == 1 ? QStringLiteral("blue")
                                          : QStringLiteral("white");
    for (QLabel* label : {c_.Readout1, c_.Readout2, c_.Difference})
        label->setStyleSheet(QStringLiteral("color: %1; background: black;").arg(colour));
    ShowReadouts();
}

std::optional<double> GraphCursors::CursorValue(int cursor) const {
    const QLineSeries* series = cursor == 0 ? c_.Cursor1 : c_.Cursor2;
    if (series->count() == 0)
        return std::nullopt;
    const QPointF p = series->at(0);
    return mode_ == cursors::TimeMode ? p.x() : p.y();
}

void GraphCursors::ShowReadouts() {
    const int channel = cursors::ModeChannel(mode_);
    const QString& unit =
        channel < 0 ? timeUnit_ : channelUnits_[static_cast<std::size_t>(channel)];
    const cursors::Readouts r = cursors::MakeReadouts(CursorValue(0), CursorValue(1), unit);
    c_.Readout1->setText(r.Cursor1);
    c_.Readout2->setText(r.Cursor2);
    c_.Difference->setText(r.Difference);
}

void GraphCursors::Respan() {
    if (mode_ == cursors::Off)
        return;
    QValueAxis* axis = ValueAxis();
    for (QLineSeries* series : {c_.Cursor1, c_.Cursor2}) {
        if (series->count() == 0)
            continue;
        const QPointF p = series->at(0);
        const auto line =
            mode_ == cursors::TimeMode
                ? cursors::TimeCursorLine(p.x(), axis->min(), axis->max())
                : cursors::LevelCursorLine(p.y(), c_.TimeAxis->min(), c_.TimeAxis->max());
        if (series->at(0) != line.first || series->at(1) != line.second)
            series->replace(QList<QPointF>{line.first, line.second});
    }
}

bool GraphCursors::eventFilter(QObject* watched, QEvent* event) {
    if (mode_ == cursors::Off || watched != c_.View->viewport())
        return QObject::eventFilter(watched, event);
    auto* mouse = dynamic_cast<QMouseEvent*>(event);
    if (mouse == nullptr)
        return QObject::eventFilter(watched, event);
    const QPointF pos = mouse->position();
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        if (mouse->button() != Qt::LeftButton)
            return true; // right and middle buttons do nothing while measuring
        QChart* chart = c_.View->chart();
        const bool vertical = mode_ == cursors::TimeMode;
        auto pixelOf = [&](const QLineSeries* series) {
            if (series->count() == 0)
                return 1e9;
            const QPointF scene =
                chart->mapToScene(chart->mapToPosition(series->at(0), c_.Cursor1));
            const QPointF view = c_.View->mapFromScene(scene);
            return vertical ? view.x() : view.y();
        };
        dragged_ = cursors::NearerCursor(vertical ? pos.x() : pos.y(), pixelOf(c_.Cursor1),
                                         pixelOf(c_.Cursor2));
        MoveTo(dragged_, pos);
        return true;
    }
    case QEvent::MouseMove:
        if (dragged_ >= 0)
            MoveTo(dragged_, pos);
        return true;
    case QEvent::MouseButtonRelease:
        if (mouse->button() == Qt::LeftButton)
            dragged_ = -1;
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace kelm
