#include "core/rules/ProfileRules.h"

#include <algorithm>
#include <cmath>

namespace kelm::profile {

int MaxPositionSpeed(std::int16_t storedLimit) {
    return std::clamp<int>(storedLimit, 0, MaxSpeedCeiling);
}

std::int32_t ShownValue(std::int16_t stored, std::int32_t fieldMax) {
    if (fieldMax > 32767)
        return static_cast<std::uint16_t>(stored);
    return stored;
}

int SuccessorIndex(std::int16_t stored) {
    return stored >= 1 && stored <= TaskCount ? stored : 0;
}

bool IsProfileLoop(int taskIndex, int successorIndex) {
    return successorIndex == taskIndex + 1;
}

bool SpeedOverMax(std::int32_t storedSpeed, int maxSpeed) {
    return storedSpeed > maxSpeed;
}

double TimeAxisMax() {
    return std::log(static_cast<double>(RampMax)) * 2 + std::log(500.0);
}

int SpeedAxisMax(std::int32_t speed, int maxSpeed) {
    return speed <= maxSpeed / 6 ? maxSpeed / 6 + 15 : maxSpeed + 15;
}

std::array<SketchPoint, 4> TrapezoidPoints(std::int32_t speed, std::int32_t acc, std::int32_t dec,
                                           int maxSpeed, double axisMax) {
    // Without a usable maximum the ramps are drawn unscaled (no division by zero).
    const double s = std::max(speed, SpeedMin);
    const double scale = maxSpeed > 0 ? s / maxSpeed : 1.0;
    const double ta = std::max(0.0, acc * scale);
    const double td = std::max(0.0, dec * scale);
    const auto ms = [](double t) { return QString::number(t, 'f', 1) + QStringLiteral(" ms"); };
    return {{{0, 0, QStringLiteral("Start")},
             {std::log(ta + 1), double(speed), QStringLiteral("Acc = ") + ms(ta)},
             {axisMax - std::log(td + 1), double(speed), QStringLiteral("Dec = ") + ms(td)},
             {axisMax, 0, QStringLiteral("End")}}};
}

QString TaskCaption(int task) {
    return QStringLiteral("Position Task Nr. ") + QString::number(task + 1);
}

} // namespace kelm::profile
