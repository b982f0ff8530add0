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

bool RunTuningCommand(ShellHost& shell, char letter, bool closePages) {
    if (!IsProcedureLetter(letter))
        return false;
    // The request is the user's from the moment the command starts: a change of the session
    // while the question is open voids it.
    TDriver& driver = shell.Driver();
    const WriteOrigin origin = driver.Ask(ProcedureAction(letter));
    if (!AskConfirm(ProcedureQuestion(letter)))
        return false;
    if (closePages)
        shell.CloseChildWindows(true, false);
    QWidget* window = shell.Window();
    window->setEnabled(false);
    QCoreApplication::processEvents();
    TuningDialogWaiter waiter(window);
    const bool ok = RunProcedure(driver, letter, waiter, origin);
    ReportProcedureResult(driver, letter, ok);
    window->setEnabled(true);
    QCoreApplication::processEvents();
    return ok;
}

void InstallTuningCommands(ShellFlows& flows) {
    flows.Windows[QStringLiteral("MotorPhasing")] = [](ShellHost& shell) {
        RunTuningCommand(shell, 'P');
    };
    flows.Windows[QStringLiteral("SpeedOffset")] = [](ShellHost& shell) {
        RunTuningCommand(shell, 'S');
    };
    flows.Windows[QStringLiteral("TorqueOffset")] = [](ShellHost& shell) {
        RunTuningCommand(shell, 'T');
    };
}

} // namespace kelm
