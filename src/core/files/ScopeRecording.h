#pragma once

#include <QString>
#include <array>
#include <vector>

namespace kelm {

// One channel's settings as the oscilloscope window shows them.
struct ScopeChannelSettings {
    bool Enabled = false;
    QString Signal; // the signal selector's text
    QString Scale;  // the scale selector's text
    int Offset = 0; // the offset field
};

// One sample: the time x, trace 1's value and trace 2's value at the same index.
struct ScopePoint {
    double X = 0;
    double Y1 = 0;
    double Y2 = 0;
};

// Everything an oscilloscope data file holds. The oscilloscope window fills it to save a
// capture; the stored trace viewer shows what the reader filled.
struct ScopeRecording {
    QString GeneratedOn;  // line 3 as read (trimmed); the writer stamps its own time
    int TriggerSlope = 0; // register 50004
    int TriggerLevel = 0; // register 50005
    QString TimeBase;     // the time-base selector's text
    int Delay = 0;        // register 50003
    std::array<ScopeChannelSettings, 2> Channels;
    double LeftIncrement = 0;  // grid increments of the chart's left, right and
    double RightIncrement = 0; // bottom (time) axes
    double BottomIncrement = 0;
    std::vector<ScopePoint> Points;
    // Each channel's unit where the signal list names it (not part of the data file).
    std::array<QString, 2> Units;
};

} // namespace kelm
