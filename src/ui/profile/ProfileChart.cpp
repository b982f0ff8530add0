#include "ui/profile/ProfileChart.h"

#include <QChart>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>

namespace kelm {

ProfileChart::ProfileChart(QWidget* parent) : QChartView(parent) {
    setObjectName(QStringLiteral("MyGraph"));
    auto* chart = new QChart; // owned by the view
    chart->setTheme(QChart::ChartThemeDark);
    chart->setBackgroundRoundness(0);
    chart->legend()->hide();
    // Room below the unlabelled time axis for the "Start" and "End" texts.
    chart->setMargins(QMargins(4, 4, 4, fontMetrics().height() + 6));
    series_ = new QLineSeries(chart);
    QPen pen(Qt::red);
    pen.setWidth(2);
    series_->setPen(pen);
    series_->setPointsVisible(true);
    series_->setMarkerSize(6);
    chart->addSeries(series_);

    timeAxis_ = new QValueAxis(chart);
    timeAxis_->setRange(0, profile::TimeAxisMax());
    timeAxis_->setLabelsVisible(false);
    speedAxis_ = new QValueAxis(chart);
    speedAxis_->setRange(0, profile::MaxSpeedCeiling);
    speedAxis_->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(timeAxis_, Qt::AlignBottom);
    chart->addAxis(speedAxis_, Qt::AlignLeft);
    series_->attachAxis(timeAxis_);
    series_->attachAxis(speedAxis_);

    // Qt Charts shows only coordinates as point labels: the texts are placed beside the
    // points whenever the plot area moves.
    for (auto& label : labels_) {
        label = new QGraphicsSimpleTextItem(chart);
        label->setBrush(QColor(255, 96, 96));
    }
    connect(chart, &QChart::plotAreaChanged, this, [this] { PlaceLabels(); });
    setChart(chart);
    setRenderHint(QPainter::Antialiasing);
    setMinimumSize(300, 250);
}

double ProfileChart::SpeedAxisMaximum() const {
    return speedAxis_->max();
}

void ProfileChart::Draw(std::int32_t speed, std::int32_t acc, std::int32_t dec, int maxSpeed) {
    points_ = profile::TrapezoidPoints(speed, acc, dec, maxSpeed, timeAxis_->max());
    speedAxis_->setRange(0, profile::SpeedAxisMax(speed, maxSpeed));
    QList<QPointF> line;
    for (std::size_t i = 0; i < points_.size(); ++i) {
        line << QPointF(points_[i].X, points_[i].Y);
        labels_[i]->setText(points_[i].Label);
    }
    series_->replace(line);
    PlaceLabels();
}

void ProfileChart::PlaceLabels() {
    const QRectF area = chart()->rect();
    for (std::size_t i = 0; i < points_.size(); ++i) {
        const QPointF at = chart()->mapToPosition(QPointF(points_[i].X, points_[i].Y), series_);
        const QRectF box = labels_[i]->boundingRect();
        // The ramp texts above their corner, "Start" and "End" below the axis; all inside.
        const bool corner = i == 1 || i == 2;
        double x = at.x() - box.width() / 2;
        double y = corner ? at.y() - box.height() - 4 : at.y() + 4;
        x = std::clamp(x, area.left(), std::max(area.left(), area.right() - box.width()));
        y = std::clamp(y, area.top(), std::max(area.top(), area.bottom() - box.height()));
        labels_[i]->setPos(x, y);
    }
}

} // namespace kelm
