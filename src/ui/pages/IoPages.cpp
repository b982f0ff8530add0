#include "ui/pages/IoPages.h"

#include "core/drive/TDriver.h"
#include "core/drive/status/StatusPageHost.h"
#include "ui/pages/TFAnalog.h"
#include "ui/pages/TFDigital.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellHost.h"
#include "ui/widgets/SingleWindow.h"

#include <QMdiSubWindow>
#include <functional>

namespace kelm {

namespace {

SingleWindow<TFDigital>& DigitalSlot() {
    static SingleWindow<TFDigital> page;
    return page;
}

SingleWindow<TFAnalog>& AnalogSlot() {
    static SingleWindow<TFAnalog> page;
    return page;
}

StatusPageHost*& ScopeHost() {
    static StatusPageHost* scope = nullptr;
    return scope;
}

// Puts the page into the main window's frame at (10, 10) and frees it when it closes.
// keepOpen: the page stays when the main window closes its children (an offset procedure
// started from it runs). online: what the page does when the main window lays itself out
// for the line state.
// The close routine finds the page through its global reference (current).
// Returns the registration, which the page drops when it closes.
int Place(ShellHost& shell, QWidget* page, ChildWindows::Role role,
          std::function<QWidget*()> current, std::function<bool()> keepOpen = {},
          std::function<void(bool)> online = {}) {
    ChildWindows::Hooks hooks;
    hooks.Close = [current = std::move(current), keepOpen = std::move(keepOpen)](bool) {
        if (QWidget* open = current(); open != nullptr && !(keepOpen && keepOpen()))
            open->close();
    };
    hooks.OnlineChanged = std::move(online);
    const int id = shell.Children().Register(role, page->objectName(), std::move(hooks));
    QMdiSubWindow& sub = AddChildWindow(*shell.Frame(), *page);
    sub.adjustSize();
    sub.move(10, 10);
    sub.show();
    page->setFocus();
    return id;
}

class IoStatusPages final : public StatusPageHost {
public:
    bool DigitalPageOpen() const override { return DigitalSlot().Get() != nullptr; }
    void SetDigitalEnableSwitch(bool on) override {
        if (TFDigital* page = DigitalSlot().Get())
            page->SetEnableSwitch(on);
    }
    void DigitalRefresh() override {
        if (TFDigital* page = DigitalSlot().Get())
            page->DigitalRefresh();
    }
    bool AnalogPageOpen() const override { return AnalogSlot().Get() != nullptr; }
    void AnalogRefresh() override {
        if (TFAnalog* page = AnalogSlot().Get())
            page->AnalogRefresh();
    }
    bool ScopeWindowExists() const override {
        return ScopeHost() != nullptr && ScopeHost()->ScopeWindowExists();
    }
    void ScopeStatusStep() override {
        if (ScopeHost() != nullptr)
            ScopeHost()->ScopeStatusStep();
    }
    void ScopeCaptureComplete() override {
        if (ScopeHost() != nullptr)
            ScopeHost()->ScopeCaptureComplete();
    }
};

} // namespace

TFDigital* DigitalPage() {
    return DigitalSlot().Get();
}

TFAnalog* AnalogPage() {
    return AnalogSlot().Get();
}

StatusPageHost& IoPageHost() {
    static IoStatusPages host;
    return host;
}

void SetScopeHost(StatusPageHost* scope) {
    ScopeHost() = scope;
}

void OpenDigitalPage(ShellHost& shell) {
    if (DigitalSlot().BringToFront())
        return;
    DigitalLinks links;
    links.HoldDriveRequests = [&shell](bool held) { shell.HoldDriveRequests(held); };
    links.PollNow = [&shell] { shell.PollStatusNow(); };
    auto* page = new TFDigital(shell.Driver(), std::move(links));
    DigitalSlot().Keep(*page);
    const int id = Place(
        shell, page, ChildWindows::Role::DigitalPage, [] { return DigitalPage(); }, {},
        [](bool online) {
            if (TFDigital* open = DigitalPage())
                open->LineChanged(online);
        });
    // Gone for the poll and the main window as soon as it closes, before it is freed.
    QObject::connect(page, &TFDigital::Closed, page, [page, id, &shell] {
        DigitalSlot().Forget(page);
        shell.Children().Unregister(id);
    });
}

void OpenAnalogPage(ShellHost& shell) {
    if (AnalogSlot().BringToFront())
        return;
    auto* page = new TFAnalog(shell);
    AnalogSlot().Keep(*page);
    page->Ready();
    const int id = Place(
        shell, page, ChildWindows::Role::AnalogPage, [] { return AnalogPage(); },
        [] { return AnalogPage() != nullptr && AnalogPage()->RunningOffset(); });
    QObject::connect(page, &TFAnalog::Closed, page, [page, id, &shell] {
        AnalogSlot().Forget(page);
        shell.Children().Unregister(id);
    });
}

} // namespace kelm
