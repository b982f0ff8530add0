#include "ui/machine/MachineFlows.h"

#include "core/common/KindDescriptor.h"
#include "core/drive/TDriver.h"
#include "core/drive/UnitSnapshot.h"
#include "core/link/ModbusMaster.h"
#include "core/link/PortNames.h"
#include "core/machine/AtomicFolder.h"
#include "core/seams/Messages.h"
#include "core/settings/SettingsStore.h"
#include "ui/machine/TFMachineCompare.h"
#include "ui/machine/TFMachineD.h"
#include "ui/seams/DialogRunner.h"
#include "ui/shell/ShellHost.h"

#include <QFileInfo>

namespace kelm::MachineFlows {
namespace {

// The run's progress dialogs: one modal dialog per transfer, showing the unit's place.
struct Progress {
    int Index = 0;
    int Count = 1;
};

MachineFrontEnd FrontEnd(ShellHost& shell, const QString& caption, Progress& progress) {
    MachineFrontEnd frontEnd;
    frontEnd.Transfer = [&shell, caption, &progress](bool write, TransferTarget target) {
        TFMachineD dialog(shell.Driver(), caption, progress.Index, progress.Count, write, target,
                          shell.Window());
        Dialogs().Exec(dialog);
        shell.Driver().WaitIdle();
        return dialog.Outcome();
    };
    frontEnd.UnitStarted = [&progress](int index, int count, std::uint8_t) {
        progress.Index = index;
        progress.Count = count;
    };
    return frontEnd;
}

// Runs a machine operation with the unit in use set aside: afterwards the same unit, kind
// and table are back (read again when a restore may have changed them) and polling goes on.
template <class Run> void AroundRun(ShellHost& shell, bool reload, Run run) {
    TDriver& driver = shell.Driver();
    const WorkerMode previous = driver.WaitIdle();
    const UnitSnapshot snapshot = UnitSnapshot::Take(driver);
    run();
    snapshot.Restore(driver);
    shell.ConfigureForDevice();
    if (reload && driver.Online())
        shell.ReloadFromDrive();
    else if (driver.Online())
        driver.SetMode(previous);
}

QString Reports(const std::vector<UnitReport>& units) {
    QStringList lines;
    for (const UnitReport& unit : units)
        lines << QStringLiteral("Unit %1 (%2): %3")
                     .arg(unit.Address)
                     .arg(QLatin1String(Describe(unit.Kind).Text), unit.Text);
    return lines.join(u'\r');
}

// The backup folder of machine.json chosen in an open dialog; empty after Cancel.
QString ChooseBackup(ShellHost& shell, const QString& caption) {
    FileDialogRequest request;
    request.Caption = caption;
    request.Filter = QStringLiteral("Machine Backup (machine.json)");
    request.DefaultExtension = QStringLiteral("json");
    if (!Dialogs().GetOpenFileName(shell.Window(), request))
        return {};
    return QFileInfo(request.FileName).absolutePath();
}

std::optional<MachineManifest> Load(const QString& folder) {
    QString error;
    auto manifest = LoadManifest(folder, &error);
    if (!manifest)
        ShowError(error);
    return manifest;
}

// The line as the manifest records it: the device path, with the COM number the program
// speaks of, as the journal and the report name the port.
MachinePort PortOf(ShellHost& shell) {
    const ModbusMaster& master = shell.Master();
    const SettingsStore& settings = shell.Settings();
    const PortNames names([&settings](int com) { return settings.PortPath(com); });
    const QString com = QStringLiteral("COM%1").arg(master.GetPort());
    const QString path = names.DevicePath(master.GetPort());
    const LineSettings line = master.CurrentSettings();
    return MachinePort::OfLink(path.isEmpty() ? com : QStringLiteral("%1 (%2)").arg(path, com),
                               line.BaudRate, line.ParityCode);
}

} // namespace

bool Available(ShellHost& shell) {
    return shell.Master().IsLinkMode() && shell.Master().IsPortOpen();
}

void SaveMachine(ShellHost& shell) {
    if (!Available(shell))
        return;
    FileDialogRequest request;
    request.Caption = QStringLiteral("Save Machine");
    request.Filter = QStringLiteral("Machine Backup Folder (*)");
    request.ConfirmOverwrite = false;
    if (!Dialogs().GetSaveFileName(shell.Window(), request))
        return;
    AtomicFolder folder(request.FileName);
    QString error;
    if (!folder.Begin(&error)) {
        ShowError(QStringLiteral("Unable save Machine: ") + error);
        return;
    }
    AroundRun(shell, false, [&] {
        Progress progress;
        MachineRunner runner(shell.Driver(),
                             FrontEnd(shell, QStringLiteral("Save Machine"), progress));
        const BackupResult result =
            runner.Backup(folder.WorkPath(), PortOf(shell), QStringLiteral(KELM_VERSION));
        if (!result.LinkAnswered) {
            ShowError(QStringLiteral("Unable save Machine: the link does not answer"));
        } else if (result.Cancelled || !result.FilesWritten) {
            ShowError(Reports(result.Units) + QStringLiteral("\rMachine not saved!"));
        } else if (!SaveManifest(result.Manifest, folder.WorkPath(), &error) ||
                   !folder.Commit(&error)) {
            ShowError(QStringLiteral("Unable save Machine: ") + error);
        } else {
            ShowInfo(Reports(result.Units) + QStringLiteral("\rSaved in ") + folder.Target());
        }
    });
}

void CompareMachine(ShellHost& shell) {
    if (!Available(shell))
        return;
    const QString folder = ChooseBackup(shell, QStringLiteral("Compare Machine"));
    if (folder.isEmpty())
        return;
    const auto manifest = Load(folder);
    if (!manifest)
        return;
    AroundRun(shell, false, [&] {
        Progress progress;
        MachineRunner runner(shell.Driver(),
                             FrontEnd(shell, QStringLiteral("Compare Machine"), progress));
        const CompareResult result = runner.Compare(folder, *manifest);
        if (result.Cancelled)
            return;
        auto* window = new TFMachineCompare(folder, result, shell.Window());
        window->show();
    });
}

void OpenMachine(ShellHost& shell) {
    if (!Available(shell))
        return;
    const QString folder = ChooseBackup(shell, QStringLiteral("Open Machine"));
    if (folder.isEmpty())
        return;
    const auto manifest = Load(folder);
    if (!manifest)
        return;
    AroundRun(shell, true, [&] {
        Progress progress;
        MachineFrontEnd frontEnd = FrontEnd(shell, QStringLiteral("Open Machine"), progress);
        // A replaced unit or a value outside its limits is named; only a Yes writes it.
        frontEnd.ConfirmRestore = [&](const RestoreVerdict& verdict) {
            QString question = QStringLiteral("Write the %1 units of %2 to the link?")
                                   .arg(manifest->Units.size())
                                   .arg(folder);
            if (!verdict.Forcible.isEmpty())
                question += QStringLiteral("\r") + verdict.Forcible.join(u'\r');
            return AskConfirm(question);
        };
        MachineRunner runner(shell.Driver(), frontEnd);
        const RestoreResult result =
            runner.Restore(folder, *manifest, true, QStringLiteral("Open Machine"));
        if (!result.Started) {
            if (!result.Cancelled)
                ShowError((result.Trouble + result.Verdict.Refusals).join(u'\r') +
                          QStringLiteral("\rNothing written!"));
        } else if (result.AllRestored()) {
            ShowInfo(Reports(result.Units));
        } else {
            ShowError(Reports(result.Units));
        }
    });
}

} // namespace kelm::MachineFlows
