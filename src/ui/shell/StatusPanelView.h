#pragma once

#include "core/rules/StatusPanelLayout.h"

#include <functional>

class QWidget;

namespace kelm {

class StatusPageHost;

// The content of the right-hand status panel (status groups, selectors COut1/COut2,
// Enable/Disable group, " Alarms " group with BAllarm, LCD group). Provided by the status
// monitor; the main window places Widget() in its right-hand panel under the
// "Hide Status"/"View Status" caption bar and drives it through these calls.
class StatusPanelView {
public:
    virtual ~StatusPanelView() = default;
    virtual QWidget* Widget() = 0;
    // ConfigureForDevice's decisions (also puts BDEn/BDDis up).
    virtual void ApplyLayout(const StatusPanelLayout& layout) = 0;
    // Paints the values of the last poll (StatusRefresh body, without the alarm window).
    // Returns the alarm state for UpdateAlarmIndicator.
    virtual bool Refresh() = 0;
    // BAllarm look and caption: "&Present" (alarm, button enabled) or "&Empty".
    virtual void ShowAlarmState(bool alarm) = 0;
    virtual bool AlarmButtonEnabled() const = 0;
    // Drive > Enable / Disable press the buttons BDEn / BDDis (when enabled).
    virtual void PressEnable() = 0;
    virtual void PressDisable() = 0;
    // BDEn and BDDis enabled or not, outside ApplyLayout (the digital I/O page holds them).
    virtual void SetRequestButtonsEnabled(bool /*enabled*/) {}
    // BAllarm enabled or not, outside ApplyLayout (held during an oscilloscope upload).
    virtual void SetAlarmButtonEnabled(bool /*enabled*/) {}
    // Carries the selectors' and Enable/Disable buttons' pending requests to the drive as a
    // status cycle does (the oscilloscope upload, which holds the poll, runs it).
    virtual void ServicePendingRequests() {}
    // The pages the status poll reaches besides the panel (digital and analog I/O pages,
    // oscilloscope).
    virtual void SetPageHost(StatusPageHost* /*host*/) {}
    // What a click on BAllarm does (the main window's alarm-window command); the panel
    // calls it once per click and does nothing else on its own.
    virtual void SetAlarmAction(std::function<void()> action) = 0;
};

} // namespace kelm
