#include "app/InstallFlows.h"

#include "ui/alarms/AlarmWindow.h"
#include "ui/commissioning/TuningCommands.h"
#include "ui/compare/CompareCommands.h"
#include "ui/diagnostic/DiagnosticWindow.h"
#include "ui/drive/SelectDrive.h"
#include "ui/drive/TFConnectD.h"
#include "ui/geninfo/GenInfoDialog.h"
#include "ui/link/TFComSet.h"
#include "ui/pages/DialogPages.h"
#include "ui/pages/IoPages.h"
#include "ui/pages/MainDevPage.h"
#include "ui/profile/ProfileWindow.h"
#include "ui/scope/OscilloWindow.h"
#include "ui/status/StatusMonitor.h"
#include "ui/users/TFUsers.h"

namespace kelm {

ShellFlows ProgramFlows() {
    // Every entry: the main window is built only with complete flows.
    ShellFlows flows;
    flows.SelectDrive = &SelectDrive;
    flows.SelectLinkDirect = &SelectLinkDirect;
    flows.RunTransfer = &TFConnectD::RunTransfer;
    flows.ComSettings = &ShowComSettings;
    // The panel's alarm button runs the main window's ShowAlarmWindow flow below.
    flows.MakeStatusPanel = [](ShellHost& shell, QWidget* parent) {
        std::unique_ptr<StatusPanelView> panel = StatusMonitor::Make(shell, parent);
        SetScopeHost(&OscilloPageHost());
        panel->SetPageHost(&IoPageHost());
        return panel;
    };
    flows.UserChange = &UserChange;
    flows.ShowAlarmWindow = &ShowAlarmWindow;
    flows.AfterStatusRefresh = [](ShellHost&) { RefreshAlarmWindow(); };
    flows.Windows[QStringLiteral("TFMainDev")] = [](ShellHost& shell) {
        PageOpeners openers = DialogPageOpeners();
        openers[QStringLiteral("TFDigital")] = &OpenDigitalPage;
        openers[QStringLiteral("TFAnalog")] = &OpenAnalogPage;
        OpenMainDevPage(shell, std::move(openers));
    };
    flows.Windows[QStringLiteral("GuidedSetup")] = &StartGuidedSetup;
    flows.Windows[QStringLiteral("TFGenInfo")] = &ShowGenInfo;
    InstallCompareWindows(flows);
    InstallDiagnosticWindow(flows);
    InstallTuningCommands(flows);
    InstallProfileWindow(flows);
    InstallOscilloWindow(flows);
    return flows;
}

} // namespace kelm
