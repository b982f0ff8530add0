#include "app/InstallFlows.h"

#include "ui/alarms/AlarmWindow.h"
#include "ui/geninfo/GenInfoDialog.h"
#include "ui/pages/MainDevPage.h"
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
    flows.Windows[QStringLiteral("TFMainDev")] = [](ShellHost& shell) { OpenMainDevPage(shell); };
    flows.Windows[QStringLiteral("TFGenInfo")] = &ShowGenInfo;
    return flows;
}

} // namespace kelm
