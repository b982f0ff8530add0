#include "ui/diagnostic/DiagnosticWindow.h"

#include "ui/diagnostic/TFDiagnostic.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellFlows.h"
#include "ui/shell/ShellHost.h"
#include "ui/widgets/SingleWindow.h"

#include <QMdiSubWindow>
#include <algorithm>

namespace kelm {

namespace {

SingleWindow<TFDiagnostic> g_window;
// One registration for CloseChildWindows; its routines check the global reference, so
// they stay harmless after the window is gone. Registry ids are unique across registries,
// so dropping the previous id is a no-op in a registry that does not hold it.
int g_registration = 0;

} // namespace

TFDiagnostic* DiagnosticWindow() {
    return g_window.Get();
}

void ShowDiagnosticWindow(ShellHost& shell) {
    if (g_window.BringToFront())
        return;
    auto* window = new TFDiagnostic(shell);
    window->setAttribute(Qt::WA_DeleteOnClose);
    g_window.Keep(*window);

    ChildWindows& children = shell.Children();
    ChildWindows::Hooks hooks;
    hooks.Close = [](bool) {
        if (TFDiagnostic* open = g_window.Get())
            ChildFrame(open)->close();
    };
    // The main window re-enables its commands when it lays itself out again.
    hooks.OnlineChanged = [](bool) {
        if (TFDiagnostic* open = g_window.Get())
            open->ReapplyReduction();
    };
    children.Unregister(g_registration);
    g_registration = children.Register(ChildWindows::Role::Diagnostic, window->objectName(), hooks);

    QMdiArea& area = *shell.Frame();
    QMdiSubWindow& sub = AddChildWindow(area, *window);
    // 20 pixels from the top down to the frame's bottom, at least 500 wide and as wide as the
    // columns need.
    const QSize client = area.viewport()->size();
    const int width = std::max(500, sub.sizeHint().width());
    sub.setGeometry(std::max(0, (client.width() - width) / 2), 20, width, client.height() - 20);
    sub.show();
    window->Start();
}

void InstallDiagnosticWindow(ShellFlows& flows) {
    flows.Windows[QStringLiteral("TFDiagnostic")] = &ShowDiagnosticWindow;
}

} // namespace kelm
