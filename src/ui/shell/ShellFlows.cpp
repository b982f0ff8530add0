#include "ui/shell/ShellFlows.h"

namespace kelm {

QStringList RequiredWindows() {
    return {QStringLiteral("TFMainDev"),      QStringLiteral("GuidedSetup"),
            QStringLiteral("TFGenInfo"),      QStringLiteral("TFCompDev"),
            QStringLiteral("TFCompDevDrive"), QStringLiteral("TFDiagnostic"),
            QStringLiteral("TFProfile"),      QStringLiteral("TFOscillo"),
            QStringLiteral("MotorPhasing"),   QStringLiteral("SpeedOffset"),
            QStringLiteral("TorqueOffset")};
}

QStringList MissingFlows(const ShellFlows& flows) {
    QStringList missing;
    const auto check = [&missing](bool present, const char* name) {
        if (!present)
            missing << QString::fromLatin1(name);
    };
    check(bool(flows.SelectDrive), "SelectDrive");
    check(bool(flows.SelectLinkDirect), "SelectLinkDirect");
    check(bool(flows.RunTransfer), "RunTransfer");
    check(bool(flows.ComSettings), "ComSettings");
    check(bool(flows.UserChange), "UserChange");
    check(bool(flows.ShowAlarmWindow), "ShowAlarmWindow");
    check(bool(flows.MakeStatusPanel), "MakeStatusPanel");
    check(bool(flows.AfterStatusRefresh), "AfterStatusRefresh");
    check(bool(flows.OpenTraceViewer), "OpenTraceViewer");
    for (const QString& name : RequiredWindows()) {
        const auto it = flows.Windows.find(name);
        if (it == flows.Windows.end() || !it->second)
            missing << name;
    }
    return missing;
}

} // namespace kelm
