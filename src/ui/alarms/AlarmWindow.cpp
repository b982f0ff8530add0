#include "ui/alarms/AlarmWindow.h"

#include "ui/alarms/TFAllarms.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellHost.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace kelm {

namespace {

QPointer<TFAllarms> g_window;
// One registration per main window for CloseChildWindows; its routine checks the global
// reference, so it stays harmless after the window is gone. The main window is watched as
// well: a later main window may get its registry at the address of a destroyed one, and
// an id from the old registry must not remove an entry of the new one.
ChildWindows* g_registeredWith = nullptr;
QPointer<QWidget> g_registeredWindow;

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
    QWidget* main = shell.Window();
    if (!(g_registeredWindow && g_registeredWindow == main && g_registeredWith == &children)) {
        children.Register(ChildWindows::Role::Alarm, window->objectName(),
                          [](bool) { CloseAlarmWindow(); });
        g_registeredWith = &children;
        g_registeredWindow = main;
    }
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
