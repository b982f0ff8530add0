#include "ui/commissioning/TuningCommands.h"

#include "core/drive/TDriver.h"
#include "core/drive/procedures/Procedures.h"
#include "core/seams/Messages.h"
#include "ui/commissioning/TFTuning.h"
#include "ui/shell/ShellFlows.h"
#include "ui/shell/ShellHost.h"

#include <QCoreApplication>
#include <QWidget>

namespace kelm {

bool RunTuningCommand(ShellHost& shell, TuningProcedure procedure, bool closePages) {
    // The request is the user's from the moment the command starts: a change of the session
    // while the question is open voids it.
    TDriver& driver = shell.Driver();
    const WriteOrigin origin = driver.Ask(ProcedureAction(procedure));
    if (!AskConfirm(ProcedureQuestion(procedure)))
        return false;
    if (closePages)
        shell.CloseChildWindows({.Pages = true});
    QWidget* window = shell.Window();
    window->setEnabled(false);
    QCoreApplication::processEvents();
    TuningDialogWaiter waiter(window);
    const bool ok = RunProcedure(driver, procedure, waiter, origin);
    ReportProcedureResult(driver, procedure, ok);
    window->setEnabled(true);
    QCoreApplication::processEvents();
    return ok;
}

void InstallTuningCommands(ShellFlows& flows) {
    flows.Windows[QStringLiteral("MotorPhasing")] = [](ShellHost& shell) {
        RunTuningCommand(shell, TuningProcedure::MotorPhasing);
    };
    flows.Windows[QStringLiteral("SpeedOffset")] = [](ShellHost& shell) {
        RunTuningCommand(shell, TuningProcedure::SpeedOffset);
    };
    flows.Windows[QStringLiteral("TorqueOffset")] = [](ShellHost& shell) {
        RunTuningCommand(shell, TuningProcedure::TorqueOffset);
    };
}

} // namespace kelm
