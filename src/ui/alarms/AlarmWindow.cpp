#include "ui/alarms/AlarmWindow.h"

#include "core/drive/TDriver.h"
#include "ui/alarms/TFAllarms.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellHost.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace kelm {

namespace {

QPointer<TFAllarms> g_window;
// The registration for CloseChildWindows; its routine checks the global reference, so it
// stays harmless after the window is gone. Registry ids are unique across registries, so
// dropping the previous id is a no-op in a registry that does not hold it.
int g_registration = 0;

void CloseAlarmWindow() {
    if (!g_window)
        return;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(g_window->parentWidget()))
        sub->close();
    else
        g_window->close();
}

} // namespace

TFAllarms* AlarmWindow() {
    return g_window;
}

void RefreshAlarmWindow() {
    if (g_window)
        g_window->Refresh();
}

void ShowAlarmWindow(ShellHost& shell) {
    if (g_window) {
        QWidget* top = g_window->parentWidget() ? g_window->parentWidget() : g_window.data();
        top->showNormal();
        top->raise();
        g_window->activateWindow();
        g_window->setFocus();
        return;
    }
    TFAllarms* window = TFAllarms::Create(shell.Driver());
    window->setObjectName(QStringLiteral("TFAllarms"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    g_window = window;
    ChildWindows& children = shell.Children();
    children.Unregister(g_registration);
    // Resetting needs the drive: the button follows the on-line state.
    window->SetOnline(shell.Driver().Online());
    ChildWindows::Hooks hooks;
    hooks.Close = [](bool) { CloseAlarmWindow(); };
    hooks.OnlineChanged = [](bool online) {
        if (g_window)
            g_window->SetOnline(online);
    };
    g_registration =
        children.Register(ChildWindows::Role::Alarm, window->objectName(), std::move(hooks));
    if (QMdiArea* area = shell.Frame()) {
        QMdiSubWindow* sub = area->addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->show();
    } else {
        window->setParent(shell.Window(), Qt::Window);
        window->show();
    }
}

} // namespace kelm
