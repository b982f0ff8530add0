#pragma once

namespace kelm {

class ShellHost;
class TFAllarms;

// The alarm window's single instance (the global reference is empty while it does not
// exist). BAllarm's command: brings the window up, or creates it as a child window of the
// main frame, registered for CloseChildWindows.
void ShowAlarmWindow(ShellHost& shell);
// Repaints the window when it exists (the end of every StatusRefresh).
void RefreshAlarmWindow();
TFAllarms* AlarmWindow();

} // namespace kelm
