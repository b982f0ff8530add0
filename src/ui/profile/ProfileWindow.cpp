#include "ui/profile/ProfileWindow.h"

#include "ui/drive/TFConnectD.h"
#include "ui/pages/DialogPages.h"
#include "ui/profile/TFProfile.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellFlows.h"
#include "ui/shell/ShellHost.h"
#include "ui/widgets/ChildFrame.h"
#include "ui/widgets/SingleWindow.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <algorithm>

namespace kelm {

namespace {

SingleWindow<TFProfile> g_window;
int g_registration = 0;

void CloseEditor() {
    if (TFProfile* open = g_window.Get())
        ChildFrame(open)->close();
}

} // namespace

TFProfile* ProfileWindow() {
    return g_window.Get();
}

void ShowProfileWindow(ShellHost& shell, std::function<void(ProgressMode)> transfer) {
    if (g_window.BringToFront())
        return;
    if (!transfer)
        transfer = [&shell](ProgressMode mode) { TFConnectD::RunTransfer(shell, mode); };
    auto* window = new TFProfile(shell, std::move(transfer));
    window->setAttribute(Qt::WA_DeleteOnClose);
    g_window.Keep(*window);

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
        if (TFProfile* open = g_window.Get())
            open->RefreshSpeedLimit();
    });
    QObject::connect(window, &QObject::destroyed, [] { SetSpeedLimitRefresh({}); });

    window->ShowData();
    QMdiArea& area = *shell.Frame();
    QMdiSubWindow& sub = AddChildWindow(area, *window);
    sub.setWindowFlags(sub.windowFlags() & ~Qt::WindowMaximizeButtonHint);
    // At (5, 10), moved in as far as needed to lie inside the frame.
    const QSize size = sub.sizeHint();
    const QSize client = area.viewport()->size();
    sub.setGeometry(std::max(0, std::min(5, client.width() - size.width())),
                    std::max(0, std::min(10, client.height() - size.height())), size.width(),
                    size.height());
    sub.show();
}

void InstallProfileWindow(ShellFlows& flows) {
    flows.Windows[QStringLiteral("TFProfile")] = [](ShellHost& shell) { ShowProfileWindow(shell); };
}

} // namespace kelm
