#pragma once

#include "core/rules/ProfileRules.h"

#include <QChartView>
#include <array>

class QGraphicsSimpleTextItem;
class QLineSeries;
class QValueAxis;

namespace kelm {

// The trapezoid sketch of one task: a single red line through four labelled points on a
// time axis without labels and a speed axis.
class ProfileChart final : public QChartView {
    Q_OBJECT
public:
    explicit ProfileChart(QWidget* parent = nullptr);

    // Draws the task's trapezoid (speed, ramp times, the maximum position speed).
    void Draw(std::int32_t speed, std::int32_t acc, std::int32_t dec, int maxSpeed);
    const std::array<profile::SketchPoint, 4>& Points() const { return points_; }
    double SpeedAxisMaximum() const;

    QSize sizeHint() const override { return {420, 360}; }

private:
    void PlaceLabels();

    QLineSeries* series_ = nullptr;
    QValueAxis* timeAxis_ = nullptr;
    QValueAxis* speedAxis_ = nullptr;
    std::array<QGraphicsSimpleTextItem*, 4> labels_{};
    std::array<profile::SketchPoint, 4> points_{};
};

} // namespace kelm
