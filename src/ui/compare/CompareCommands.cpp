#include "ui/compare/CompareCommands.h"

#include "core/drive/TDriver.h"
#include "core/files/DeviceFile.h"
#include "core/seams/Messages.h"
#include "core/settings/SettingsStore.h"
#include "ui/compare/TFCompDev.h"
#include "ui/seams/DialogRunner.h"
#include "ui/shell/ShellFlows.h"
#include "ui/shell/ShellHost.h"
#include "ui/widgets/SingleWindow.h"

#include <QFileInfo>
#include <QMdiSubWindow>

namespace kelm {

namespace {

SingleWindow<TFCompDev> g_window;

// The device-file dialog; the chosen path, or empty after Cancel or a wrong extension.
QString ChooseDeviceFile(ShellHost& shell) {
    TDriver& driver = shell.Driver();
    const DeviceKind kind = driver.CurrentKind();
    FileDialogRequest request;
    request.Filter = DeviceFileFilters().join(QStringLiteral(";;"));
    request.DefaultExtension = DeviceFileTypeOf(kind).Extension.mid(1);
    request.FilterIndex = KindIndex(kind) + 1;
    request.InitialDir = shell.Settings().DevicesFolder;
    if (!Dialogs().GetOpenFileName(shell.Window(), request))
        return {};
    const QString path = request.FileName;
    shell.Settings().DevicesFolder = QFileInfo(path).absolutePath() + QLatin1Char('/');
    if (!HasExtension(path, request.DefaultExtension)) {
        ShowDifferentExtensions(path);
        return {};
    }
    return path;
}

TFCompDev* CreateWindow(ShellHost& shell) {
    ShellHost* host = &shell;
    auto* window = new TFCompDev(shell.Driver(), [host] { DriveCompareCommand(*host); });
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Closing frees the rows and gives both comparison commands back.
    window->SetOnClose([host] { host->SetCompareOpen(false); });
    g_window.Keep(*window);
    AddChildWindow(*shell.Frame(), *window).show();
    return window;
}

} // namespace

TFCompDev* CompareWindow() {
    return g_window.Get();
}

void DriveCompareCommand(ShellHost& shell) {
    const QString path = ChooseDeviceFile(shell);
    if (path.isEmpty())
        return;
    if (TFCompDev* window = g_window.Get()) {
        g_window.BringToFront();
        // A file-mode window goes on with a new second file.
        window->CompLoad(window->DriveMode() ? QString() : window->Data().FirstFile(), path);
        return;
    }
    shell.SetCompareOpen(true);
    CreateWindow(shell)->CompLoad(QString(), path);
}

void FileCompareCommand(ShellHost& shell) {
    if (g_window.BringToFront())
        return;
    const QString path = ChooseDeviceFile(shell);
    if (path.isEmpty())
        return;
    shell.SetCompareOpen(true, true);
    CreateWindow(shell)->CompLoad(path, path);
}

void InstallCompareWindows(ShellFlows& flows) {
    flows.Windows[QStringLiteral("TFCompDev")] = &FileCompareCommand;
    flows.Windows[QStringLiteral("TFCompDevDrive")] = &DriveCompareCommand;
}

} // namespace kelm
