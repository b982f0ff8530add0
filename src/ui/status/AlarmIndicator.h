#pragma once

#include <QString>

namespace kelm {

// Captions of the alarm button and of the status-panel toggle.
inline constexpr const char* AlarmPresentCaption = "&Present";
inline constexpr const char* AlarmEmptyCaption = "&Empty";
inline constexpr const char* HideStatusCaption = "Hide Status";
inline constexpr const char* ViewStatusCaption = "View Status";
inline constexpr const char* ViewStatusAlarmCaption = "View Status - ALARMS ! -";

struct AlarmIndicatorState {
    bool Present = false; // button shows "&Present" with the Cancel look
    QString ToggleCaption;
};

// What the alarm indicator shows: "&Present" only when there is an alarm and the alarm
// button is enabled; a hidden status panel announces it in the toggle's caption.
AlarmIndicatorState ComputeAlarmIndicator(bool alarm, bool buttonEnabled,
                                          const QString& toggleCaption);

} // namespace kelm
