#include "ui/drive/InstallPanelFlows.h"

#include "ui/alarms/AlarmWindow.h"
#include "ui/drive/SelectDrive.h"
#include "ui/drive/TFConnectD.h"
#include "ui/link/TFComSet.h"
#include "ui/shell/ShellFlows.h"
#include "ui/status/StatusMonitor.h"
#include "ui/users/TFUsers.h"

namespace kelm {

void InstallPanelFlows(ShellFlows& flows) {
    flows.SelectDrive = [](ShellHost& shell) { SelectDrive(shell); };
    flows.SelectLinkDirect = [](ShellHost& shell) { SelectLinkDirect(shell); };
    flows.RunTransfer = [](ShellHost& shell, char mode) { TFConnectD::RunTransfer(shell, mode); };
    flows.ComSettings = [](ShellHost& shell, bool linkPort) {
        return ShowComSettings(shell, linkPort);
    };
    flows.UserChange = [](ShellHost& shell) { UserChange(shell); };
    flows.ShowAlarmWindow = [](ShellHost& shell) { ShowAlarmWindow(shell); };
    flows.MakeStatusPanel = &StatusMonitor::Make;
    flows.AfterStatusRefresh = [](ShellHost&) { RefreshAlarmWindow(); };
}

} // namespace kelm
