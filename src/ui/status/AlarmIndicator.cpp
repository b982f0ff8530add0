#include "ui/status/AlarmIndicator.h"

namespace kelm {

AlarmIndicatorState ComputeAlarmIndicator(bool alarm, bool buttonEnabled,
                                          const QString& toggleCaption) {
    AlarmIndicatorState state;
    state.ToggleCaption = toggleCaption;
    if (alarm && buttonEnabled) {
        state.Present = true;
        if (toggleCaption == QLatin1String(ViewStatusCaption))
            state.ToggleCaption = QLatin1String(ViewStatusAlarmCaption);
    } else if (toggleCaption == QLatin1String(ViewStatusAlarmCaption)) {
        state.ToggleCaption = QLatin1String(ViewStatusCaption);
    }
    return state;
}

} // namespace kelm
