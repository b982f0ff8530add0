#include "ui/pages/MainDevPage.h"

#include "core/drive/TDriver.h"
#include "core/seams/Messages.h"
#include "ui/pages/TFMainDev.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellHost.h"
#include "ui/widgets/SingleWindow.h"

#include <QMdiSubWindow>

namespace kelm {

namespace {

SingleWindow<TFMainDev> g_page;
// The page's registration; its routines check the global reference, so they stay harmless
// after the page is gone. Registry ids are unique across registries, so dropping the
// previous id is a no-op in a registry that does not hold it.
int g_registration = 0;

void Register(ChildWindows& children) {
    children.Unregister(g_registration);
    ChildWindows::Hooks hooks;
    hooks.OnlineChanged = [](bool online) {
        if (TFMainDev* page = g_page.Get())
            page->SetOnline(online);
    };
    hooks.TableChanged = [] {
        if (TFMainDev* page = g_page.Get())
            page->Setup();
    };
    g_registration =
        children.Register(ChildWindows::Role::Other, QStringLiteral("TFMainDev"), std::move(hooks));
}

} // namespace

TFMainDev* MainDevPage() {
    return g_page.Get();
}

void OpenMainDevPage(ShellHost& shell, PageOpeners openers) {
    if (g_page.BringToFront())
        return;
    MainDevLinks links;
    links.HasPage = [openers](const QString& name) {
        const auto it = openers.find(name);
        return it != openers.end() && it->second;
    };
    links.OpenPage = [&shell, openers = std::move(openers)](const QString& name,
                                                            const QString& caption) {
        const auto it = openers.find(name);
        if (it == openers.end() || !it->second) {
            ShowInfo(QStringLiteral("The ") + caption + QStringLiteral(" page is not there yet."));
            return;
        }
        it->second(shell);
    };
    links.SetSaveEnabled = [&shell](bool enabled) { shell.SetSaveEnabled(enabled); };
    auto* page = new TFMainDev(shell.Driver(), std::move(links));
    page->setAttribute(Qt::WA_DeleteOnClose);
    g_page.Keep(*page);
    Register(shell.Children());
    AddChildWindow(*shell.Frame(), *page).show();
    page->Setup();
    page->SetOnline(shell.Driver().Online());
}

} // namespace kelm
