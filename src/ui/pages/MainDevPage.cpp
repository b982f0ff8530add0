#include "ui/pages/MainDevPage.h"

#include "core/drive/TDriver.h"
#include "core/seams/Messages.h"
#include "ui/pages/TFMainDev.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellHost.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace kelm {

namespace {

QPointer<TFMainDev> g_page;
// One registration per main window; its routines check the global reference, so they stay
// harmless after the page is gone. The window is watched as well: a later main window may
// get its registry at the address of a destroyed one.
ChildWindows* g_registeredWith = nullptr;
QPointer<QWidget> g_registeredWindow;

void RegisterOnce(ChildWindows& children, QWidget* window) {
    if (g_registeredWindow && g_registeredWindow == window && g_registeredWith == &children)
        return;
    ChildWindows::Hooks hooks;
    hooks.OnlineChanged = [](bool online) {
        if (g_page)
            g_page->SetOnline(online);
    };
    hooks.TableChanged = [] {
        if (g_page)
            g_page->Setup();
    };
    children.Register(ChildWindows::Role::Other, QStringLiteral("TFMainDev"), std::move(hooks));
    g_registeredWith = &children;
    g_registeredWindow = window;
}

} // namespace

TFMainDev* MainDevPage() {
    return g_page;
}

void OpenMainDevPage(ShellHost& shell, PageOpeners openers) {
    if (g_page) {
        QWidget* top = g_page->parentWidget() ? g_page->parentWidget() : g_page.data();
        top->showNormal();
        top->raise();
        g_page->setFocus();
        return;
    }
    MainDevLinks links;
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
    g_page = page;
    RegisterOnce(shell.Children(), shell.Window());
    if (QMdiArea* frame = shell.Frame()) {
        QMdiSubWindow* sub = frame->addSubWindow(page);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->show();
    } else {
        page->setParent(shell.Window(), Qt::Window);
        page->show();
    }
    page->Setup();
    page->SetOnline(shell.Driver().Online());
}

} // namespace kelm
