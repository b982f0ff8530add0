#include "ui/diagnostic/DiagnosticWindow.h"

#include "ui/diagnostic/TFDiagnostic.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellFlows.h"
#include "ui/shell/ShellHost.h"
#include "ui/widgets/ChildFrame.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <algorithm>

namespace kelm {

namespace {

QPointer<TFDiagnostic> g_window;
// One registration for CloseChildWindows; its routines check the global reference, so
// they stay harmless after the window is gone. Registry ids are unique across registries,
// so dropping the previous id is a no-op in a registry that does not hold it.
int g_registration = 0;

} // namespace

TFDiagnostic* DiagnosticWindow() {
    return g_window;
}

void ShowDiagnosticWindow(ShellHost& shell) {
    if (TFDiagnostic* window = g_window) {
        QWidget* top = ChildFrame(window);
        if (top->isMinimized())
            top->showNormal();
        top->raise();
        window->setFocus();
        return;
    }
    auto* window = new TFDiagnostic(shell);
    window->setAttribute(Qt::WA_DeleteOnClose);
    g_window = window;

    ChildWindows& children = shell.Children();
    ChildWindows::Hooks hooks;
    hooks.Close = [](bool) {
        if (TFDiagnostic* open = g_window)
            ChildFrame(open)->close();
    };
    // The main window re-enables its commands when it lays itself out again.
    hooks.OnlineChanged = [](bool) {
        if (TFDiagnostic* open = g_window)
            open->ReapplyReduction();
    };
    children.Unregister(g_registration);
    g_registration = children.Register(ChildWindows::Role::Diagnostic, window->objectName(), hooks);

    if (QMdiArea* area = shell.Frame()) {
        QMdiSubWindow* sub = area->addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        // 20 pixels from the top down to the frame's bottom, at least 500 wide and as wide as
        // the columns need.
        const QSize client = area->viewport()->size();
        const int width = std::max(500, sub->sizeHint().width());
        sub->setGeometry(std::max(0, (client.width() - width) / 2), 20, width,
                         client.height() - 20);
        sub->show();
    } else {
        window->setParent(shell.Window(), Qt::Window);
        window->resize(window->sizeHint().expandedTo(QSize(500, 400)));
        window->show();
    }
    window->Start();
}

void InstallDiagnosticWindow(ShellFlows& flows) {
    flows.Windows[QStringLiteral("TFDiagnostic")] = &ShowDiagnosticWindow;
}

} // namespace kelm
