#pragma once

#include <QPointF>
#include <QString>
#include <optional>
#include <utility>

namespace kelm::cursors {

// Cursor mode, kept in the cursor switch: bit 7 on, bit 0 time, bit 1 channel 1, bit 2
// channel 2.
enum Mode : int { Off = 0, TimeMode = 0x81, Channel1Mode = 0x82, Channel2Mode = 0x84 };

// -1 for time cursors (and off), 0 or 1 for the channel whose axis the level cursors use.
int ModeChannel(int mode);

// An axis: its value range and the pixel positions of its minimum and maximum.
struct AxisMap {
    double Min = 0;
    double Max = 1;
    double PixelOfMin = 0;
    double PixelOfMax = 1;
};

// The value under a pixel position, interpolated between the axis ends (the axis end
// itself when both ends share one pixel).
double ValueAt(const AxisMap& axis, double pixel);
double PixelOf(const AxisMap& axis, double value);

// The two points of a cursor line. A time cursor is vertical at time t across the value
// axis (one unit beyond each end); a level cursor is horizontal at value y across the time
// axis (to one below its minimum).
std::pair<QPointF, QPointF> TimeCursorLine(double t, double valueMin, double valueMax);
std::pair<QPointF, QPointF> LevelCursorLine(double y, double timeMin, double timeMax);

// The cursor a press at pixel position mouse takes: 0 or 1; on a tie cursor 2 (1).
int NearerCursor(double mouse, double cursor1Pixel, double cursor2Pixel);

// A value as the readouts show it: two decimals with the regional separator.
QString FormatReadout(double value);

struct Readouts {
    QString Cursor1;
    QString Cursor2;
    QString Difference;
};
// "Cursor1= ", "Cursor2= " and "Difference= " (cursor 1 - cursor 2), each followed by the
// unit when there is one; a text stays empty when a cursor it needs has no line.
Readouts MakeReadouts(std::optional<double> cursor1, std::optional<double> cursor2,
                      const QString& unit = {});

} // namespace kelm::cursors
