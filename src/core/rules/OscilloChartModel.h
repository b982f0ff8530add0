#pragma once

#include "core/rules/OscilloMath.h"

#include <QStringList>
#include <array>

namespace kelm {

class OscilloPanelModel;
class ParamTable;
struct ScopeRecording;

// What the oscilloscope's chart shows, without its widgets: the time window its axis spans
// (the time base chosen, or the window a shown capture was taken with), each channel's
// value axis, and the settings a saved recording carries, taken from the panel's state
// rather than from the widgets that show it.
class OscilloChartModel {
public:
    OscilloChartModel(const OscilloPanelModel& panel, const ParamTable& scopeRegisters)
        : panel_(panel), registers_(scopeRegisters) {}

    // The time-base selector's entries, one per time window.
    static QStringList TimeBaseTexts();

    void ShowWindow(int windowMs) { window_ = windowMs; }
    int Window() const { return window_; }
    // The time axis has ten divisions.
    double TimeIncrement() const { return 0.1 * window_; }
    // Ten divisions of the channel's scale with zero in the middle.
    oscillo::ValueAxis ChannelAxis(int channel) const;

    // Everything of the recording but its points; offsets are the channels' offset fields.
    void FillSettings(ScopeRecording& recording, const std::array<int, 2>& offsets) const;

private:
    const OscilloPanelModel& panel_;
    const ParamTable& registers_;
    int window_ = 0;
};

} // namespace kelm
