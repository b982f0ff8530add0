#include "ui/profile/ProfileWindow.h"

#include "ui/drive/TFConnectD.h"
#include "ui/pages/DialogPages.h"
#include "ui/profile/TFProfile.h"
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

QPointer<TFProfile> g_window;
int g_registration = 0;

void CloseEditor() {
    if (TFProfile* open = g_window)
        ChildFrame(open)->close();
}

} // namespace

TFProfile* ProfileWindow() {
    return g_window;
}

void ShowProfileWindow(ShellHost& shell, std::function<void(char)> transfer) {
    if (TFProfile* window = g_window) {
        QWidget* top = ChildFrame(window);
        if (top->isMinimized())
            top->showNormal();
        top->show();
        top->raise();
        window->setFocus();
        return;
    }
    if (!transfer)
        transfer = [&shell](char mode) { TFConnectD::RunTransfer(shell, mode); };
    auto* window = new TFProfile(shell, std::move(transfer));
    window->setAttribute(Qt::WA_DeleteOnClose);
    g_window = window;

    ChildWindows& children = shell.Children();
    ChildWindows::Hooks hooks;
    hooks.Close = [](bool) { CloseEditor(); };
    // The editor works on the drive's data only: off line it goes.
    hooks.OnlineChanged = [](bool online) {
        if (!online)
            CloseEditor();
    };
    children.Unregister(g_registration);
    g_registration = children.Register(ChildWindows::Role::Profile, window->objectName(), hooks);
    SetSpeedLimitRefresh([] {
        if (TFProfile* open = g_window)
            open->RefreshSpeedLimit();
    });
    QObject::connect(window, &QObject::destroyed, [] { SetSpeedLimitRefresh({}); });

    window->ShowData();
    if (QMdiArea* area = shell.Frame()) {
        QMdiSubWindow* sub = area->addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setWindowFlags(sub->windowFlags() & ~Qt::WindowMaximizeButtonHint);
        // At (5, 10), moved in as far as needed to lie inside the frame.
        const QSize size = sub->sizeHint();
        const QSize client = area->viewport()->size();
        sub->setGeometry(std::max(0, std::min(5, client.width() - size.width())),
                         std::max(0, std::min(10, client.height() - size.height())), size.width(),
                         size.height());
        sub->show();
    } else {
        window->setParent(shell.Window(), Qt::Window);
        window->move(5, 10);
        window->resize(window->sizeHint());
        window->show();
    }
}

void InstallProfileWindow(ShellFlows& flows) {
    flows.Windows[QStringLiteral("TFProfile")] = [](ShellHost& shell) { ShowProfileWindow(shell); };
}

} // namespace kelm
