#include "ui/pages/IoPages.h"

#include "core/drive/TDriver.h"
#include "core/drive/status/StatusPageHost.h"
#include "ui/pages/MainDevPage.h"
#include "ui/pages/TFAnalog.h"
#include "ui/pages/TFDigital.h"
#include "ui/pages/TFMainDev.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellHost.h"
#include "ui/widgets/TPNumEdit.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <functional>

namespace kelm {

namespace {

QPointer<TFDigital>& DigitalSlot() {
    static QPointer<TFDigital> page;
    return page;
}

QPointer<TFAnalog>& AnalogSlot() {
    static QPointer<TFAnalog> page;
    return page;
}

StatusPageHost*& ScopeHost() {
    static StatusPageHost* scope = nullptr;
    return scope;
}

bool BringUp(QWidget* page) {
    if (page == nullptr)
        return false;
    QWidget* frame = page;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(page->parentWidget()))
        frame = sub;
    frame->showNormal();
    frame->raise();
    page->setFocus();
    return true;
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
    if (QMdiArea* frame = shell.Frame()) {
        QMdiSubWindow* sub = frame->addSubWindow(page);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->adjustSize();
        sub->move(10, 10);
        sub->show();
    } else {
        page->setAttribute(Qt::WA_DeleteOnClose);
        page->setParent(shell.Window(), Qt::Window);
        page->move(10, 10);
        page->show();
    }
    page->setFocus();
    return id;
}

class IoStatusPages final : public StatusPageHost {
public:
    bool DigitalPageOpen() const override { return DigitalSlot() != nullptr; }
    void SetDigitalEnableSwitch(bool on) override {
        if (TFDigital* page = DigitalSlot())
            page->SetEnableSwitch(on);
    }
    void DigitalRefresh() override {
        if (TFDigital* page = DigitalSlot())
            page->DigitalRefresh();
    }
    bool AnalogPageOpen() const override { return AnalogSlot() != nullptr; }
    void AnalogRefresh() override {
        if (TFAnalog* page = AnalogSlot())
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
    return DigitalSlot();
}

TFAnalog* AnalogPage() {
    return AnalogSlot();
}

StatusPageHost& IoPageHost() {
    static IoStatusPages host;
    return host;
}

void SetScopeHost(StatusPageHost* scope) {
    ScopeHost() = scope;
}

void OpenDigitalPage(ShellHost& shell) {
    if (BringUp(DigitalSlot()))
        return;
    DigitalLinks links;
    links.HoldDriveRequests = [&shell](bool held) { shell.HoldDriveRequests(held); };
    links.PollNow = [&shell] { shell.PollStatusNow(); };
    links.ShowSpeed = [](const QString& rpm) {
        if (TFMainDev* main = MainDevPage())
            main->SpeedField()->setText(rpm);
    };
    links.SpeedFieldEnabled = [](bool enabled) {
        if (TFMainDev* main = MainDevPage())
            main->SpeedField()->setEnabled(enabled);
    };
    auto* page = new TFDigital(shell.Driver(), std::move(links));
    DigitalSlot() = page;
    const int id = Place(
        shell, page, ChildWindows::Role::DigitalPage, [] { return DigitalPage(); }, {},
        [](bool online) {
            if (TFDigital* open = DigitalPage())
                open->LineChanged(online);
        });
    // Gone for the poll and the main window as soon as it closes, before it is freed.
    QObject::connect(page, &TFDigital::Closed, page, [page, id, &shell] {
        if (DigitalSlot() == page)
            DigitalSlot() = nullptr;
        shell.Children().Unregister(id);
    });
}

void OpenAnalogPage(ShellHost& shell) {
    if (BringUp(AnalogSlot()))
        return;
    auto* page = new TFAnalog(shell);
    AnalogSlot() = page;
    page->Ready();
    const int id = Place(
        shell, page, ChildWindows::Role::AnalogPage, [] { return AnalogPage(); },
        [] { return AnalogPage() != nullptr && AnalogPage()->RunningOffset(); });
    QObject::connect(page, &TFAnalog::Closed, page, [page, id, &shell] {
        if (AnalogSlot() == page)
            AnalogSlot() = nullptr;
        shell.Children().Unregister(id);
    });
}

} // namespace kelm
