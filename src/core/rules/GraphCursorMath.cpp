#include "core/rules/GraphCursorMath.h"

#include <QLocale>
#include <cmath>

namespace kelm::cursors {

int ModeChannel(int mode) {
    if ((mode & 0x80) == 0 || (mode & 0x01) != 0)
        return -1;
    return (mode & 0x02) != 0 ? 0 : 1;
}

double ValueAt(const AxisMap& axis, double pixel) {
    const double span = axis.PixelOfMax - axis.PixelOfMin;
    if (span == 0)
        return axis.Min;
    return (pixel - axis.PixelOfMin) * (axis.Max - axis.Min) / span + axis.Min;
}

double PixelOf(const AxisMap& axis, double value) {
    const double span = axis.Max - axis.Min;
    if (span == 0)
        return axis.PixelOfMin;
    return (value - axis.Min) * (axis.PixelOfMax - axis.PixelOfMin) / span + axis.PixelOfMin;
}

std::pair<QPointF, QPointF> TimeCursorLine(double t, double valueMin, double valueMax) {
    return {QPointF(t, valueMax + 1), QPointF(t, valueMin - 1)};
}

std::pair<QPointF, QPointF> LevelCursorLine(double y, double timeMin, double timeMax) {
    return {QPointF(timeMax, y), QPointF(timeMin - 1, y)};
}

int NearerCursor(double mouse, double cursor1Pixel, double cursor2Pixel) {
    return std::abs(mouse - cursor1Pixel) < std::abs(mouse - cursor2Pixel) ? 0 : 1;
}

QString FormatReadout(double value) {
    // Rounded first, so that a tiny negative value does not show as "-0.00".
    double rounded = std::round(value * 100.0) / 100.0;
    if (rounded == 0)
        rounded = 0;
    return QLocale().toString(rounded, 'f', 2);
}

Readouts MakeReadouts(std::optional<double> cursor1, std::optional<double> cursor2,
                      const QString& unit) {
    const QString suffix = unit.isEmpty() ? QString() : QLatin1Char(' ') + unit;
    Readouts out;
    if (cursor1)
        out.Cursor1 = QStringLiteral("Cursor1= ") + FormatReadout(*cursor1) + suffix;
    if (cursor2)
        out.Cursor2 = QStringLiteral("Cursor2= ") + FormatReadout(*cursor2) + suffix;
    if (cursor1 && cursor2)
        out.Difference =
            QStringLiteral("Difference= ") + FormatReadout(*cursor1 - *cursor2) + suffix;
    return out;
}

} // namespace kelm::cursors
