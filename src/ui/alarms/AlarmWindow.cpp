#include "ui/alarms/AlarmWindow.h"

#include "core/drive/TDriver.h"
#include "ui/alarms/TFAllarms.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellHost.h"
#include "ui/widgets/SingleWindow.h"

#include <QMdiSubWindow>

namespace kelm {

namespace {

SingleWindow<TFAllarms> g_window;
// The registration for CloseChildWindows; its routine checks the global reference, so it
// stays harmless after the window is gone. Registry ids are unique across registries, so
// dropping the previous id is a no-op in a registry that does not hold it.
int g_registration = 0;

void CloseAlarmWindow() {
    if (TFAllarms* open = g_window.Get())
        ChildFrame(open)->close();
}

} // namespace

TFAllarms* AlarmWindow() {
    return g_window.Get();
}

void RefreshAlarmWindow() {
    if (TFAllarms* open = g_window.Get())
        open->Refresh();
}

void ShowAlarmWindow(ShellHost& shell) {
    if (g_window.BringToFront())
        return;
    TFAllarms* window = TFAllarms::Create(shell.Driver());
    window->setObjectName(QStringLiteral("TFAllarms"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    g_window.Keep(*window);
    ChildWindows& children = shell.Children();
    children.Unregister(g_registration);
    // Resetting needs the drive: the button follows the on-line state.
    window->SetOnline(shell.Driver().Online());
    ChildWindows::Hooks hooks;
    hooks.Close = [](bool) { CloseAlarmWindow(); };
    hooks.OnlineChanged = [](bool online) {
        if (TFAllarms* open = g_window.Get())
            open->SetOnline(online);
    };
    g_registration =
        children.Register(ChildWindows::Role::Alarm, window->objectName(), std::move(hooks));
    AddChildWindow(*shell.Frame(), *window).show();
}

} // namespace kelm
