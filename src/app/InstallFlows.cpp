#include "app/InstallFlows.h"

#include "ui/alarms/AlarmWindow.h"
#include "ui/status/StatusMonitor.h"
#include "ui/status/StatusPanelWidget.h"
#include "ui/users/TFUsers.h"

namespace kelm {

ShellFlows ProgramFlows() {
    ShellFlows flows;
    flows.MakeStatusPanel = &StatusMonitor::Make;
    flows.UserChange = &UserChange;
    flows.ShowAlarmWindow = &ShowAlarmWindow;
    flows.AfterStatusRefresh = [](ShellHost&) { RefreshAlarmWindow(); };
    return flows;
}

} // namespace kelm
