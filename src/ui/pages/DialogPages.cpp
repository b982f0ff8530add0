#include "ui/pages/DialogPages.h"

#include "core/drive/TDriver.h"
#include "ui/pages/TFCurrent.h"
#include "ui/pages/TFEncOut.h"
#include "ui/pages/TFMotor.h"
#include "ui/pages/TFPosit.h"
#include "ui/pages/TFSpeed.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellHost.h"
#include "ui/widgets/ScreenFit.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <algorithm>
#include <map>

namespace kelm {

namespace {

// One global reference per page and its registration with the main window. The
// registration's routines check the reference, so they stay harmless after the page is
// gone.
struct PageSlot {
    QPointer<DialogPage> Page;
    int Registration = 0;
};

std::map<QString, PageSlot>& Slots() {
    static std::map<QString, PageSlot> pages;
    return pages;
}

std::function<void()>& SpeedLimitRefresh() {
    static std::function<void()> refresh;
    return refresh;
}

using Factory = std::function<DialogPage*(TDriver&)>;

// The table was reloaded or replaced: the page shows it; for another drive kind, whose
// registers differ, the page goes rather than edit them.
void ShowTable(const QString& name, ShellHost& shell) {
    DialogPage* page = Slots()[name].Page;
    if (page == nullptr)
        return;
    if (page->Kind() != shell.Driver().CurrentKind())
        page->close();
    else
        page->Reload();
}

void Register(ShellHost& shell, const QString& name) {
    PageSlot& slot = Slots()[name];
    shell.Children().Unregister(slot.Registration);
    ChildWindows::Hooks hooks;
    // Asked to close with the close-pages flag; without it the page stays and shows the
    // table as it now is.
    hooks.Close = [name, &shell](bool closePages) {
        if (closePages) {
            if (DialogPage* page = Slots()[name].Page)
                page->close();
        } else {
            ShowTable(name, shell);
        }
    };
    hooks.OnlineChanged = [name](bool online) {
        if (DialogPage* page = Slots()[name].Page)
            page->SetOnline(online);
    };
    hooks.TableChanged = [name, &shell] { ShowTable(name, shell); };
    slot.Registration =
        shell.Children().Register(ChildWindows::Role::ParameterPage, name, std::move(hooks));
}

QWidget* FrameOf(QWidget* page) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(page->parentWidget()))
        return sub;
    return page;
}

void Open(ShellHost& shell, const QString& name, const Factory& make, DialogPage::Guided guided) {
    PageSlot& slot = Slots()[name];
    if (slot.Page) {
        // A page already in the guided layout, or no guided layout asked for: bring it up.
        if (!guided.Active || slot.Page->IsGuided()) {
            QWidget* frame = FrameOf(slot.Page);
            frame->showNormal();
            frame->raise();
            slot.Page->setFocus();
            return;
        }
        // The guided sequence takes an open page over: it goes (its unapplied edits with
        // it) and the page opens again in the guided layout.
        DialogPage* old = slot.Page;
        slot.Page = nullptr;
        old->close();
    }
    DialogPage* page = make(shell.Driver());
    slot.Page = page;
    // A closed page is gone for its button at once, before it is freed.
    QObject::connect(page, &DialogPage::Closed, page, [name, page] {
        if (Slots()[name].Page == page)
            Slots()[name].Page = nullptr;
    });
    Register(shell, name);
    page->Finish(std::move(guided));
    const bool inGuide = page->IsGuided();
    if (QMdiArea* frame = shell.Frame()) {
        QMdiSubWindow* sub = frame->addSubWindow(page);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        if (inGuide) // no border icons: the page is left through its buttons
            sub->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        sub->adjustSize();
        sub->show();
        if (inGuide) {
            // Without border icons a maximized page (the frame maximizes a new window while
            // its active one is) could never be restored.
            sub->showNormal();
            PlaceChildWindowNow(*sub);
        } else { // keep the whole page inside the frame where the frame is large enough
            const QSize room = frame->viewport()->size() - sub->size();
            sub->move(std::clamp(sub->x(), 0, std::max(room.width(), 0)),
                      std::clamp(sub->y(), 0, std::max(room.height(), 0)));
        }
    } else {
        page->setAttribute(Qt::WA_DeleteOnClose);
        Qt::WindowFlags flags = Qt::Window;
        if (inGuide)
            flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        page->setParent(shell.Window(), flags);
        page->show();
        if (inGuide)
            page->move(20, 20);
    }
    page->setFocus();
}

// The guided layout when the main window's menu is locked; next opens the following page
// after a successful Ok (empty: the sequence ends there).
DialogPage::Guided GuidedFor(ShellHost& shell, std::function<void(ShellHost&)> next) {
    DialogPage::Guided guided;
    guided.Active = shell.MenuLocked();
    if (!guided.Active)
        return guided;
    guided.Ok = [&shell, next = std::move(next)](bool written) {
        if (written && next)
            next(shell);
        else
            shell.SetMenuLocked(false);
    };
    guided.End = [&shell] { shell.SetMenuLocked(false); };
    return guided;
}

// After the speed page applied: the profile editor takes the new speed limit. (The main
// page and the encoder output page follow the table's change notification themselves.)
void SpeedApplied() {
    if (SpeedLimitRefresh())
        SpeedLimitRefresh()();
}

} // namespace

DialogPage* OpenDialogPage(const QString& name) {
    const auto it = Slots().find(name);
    return it == Slots().end() ? nullptr : it->second.Page.data();
}

void SetSpeedLimitRefresh(std::function<void()> refresh) {
    SpeedLimitRefresh() = std::move(refresh);
}

void OpenMotorPage(ShellHost& shell) {
    DialogPage::Guided guided = GuidedFor(shell, {});
    if (guided.Active) // the motor page ends the sequence whatever its write did
        guided.Ok = [&shell](bool) { shell.SetMenuLocked(false); };
    Open(
        shell, QStringLiteral("TFMotor"), [](TDriver& driver) { return new TFMotor(driver); },
        std::move(guided));
}

void OpenSpeedPage(ShellHost& shell) {
    Open(
        shell, QStringLiteral("TFSpeed"),
        [](TDriver& driver) { return new TFSpeed(driver, [](bool) { SpeedApplied(); }); },
        GuidedFor(shell, &OpenMotorPage));
}

void OpenCurrentPage(ShellHost& shell) {
    Open(
        shell, QStringLiteral("TFCurrent"), [](TDriver& driver) { return new TFCurrent(driver); },
        GuidedFor(shell, &OpenSpeedPage));
}

void OpenPositionPage(ShellHost& shell) {
    Open(shell, QStringLiteral("TFPosit"), [](TDriver& driver) { return new TFPosit(driver); }, {});
}

void OpenEncoderOutPage(ShellHost& shell) {
    Open(shell, QStringLiteral("TFEncOut"), [](TDriver& driver) { return new TFEncOut(driver); },
         {});
}

PageOpeners DialogPageOpeners() {
    return {{QStringLiteral("TFMotor"), &OpenMotorPage},
            {QStringLiteral("TFCurrent"), &OpenCurrentPage},
            {QStringLiteral("TFSpeed"), &OpenSpeedPage},
            {QStringLiteral("TFPosition"), &OpenPositionPage},
            {QStringLiteral("TFEncOut"), &OpenEncoderOutPage}};
}

void StartGuidedSetup(ShellHost& shell) {
    shell.SetMenuLocked(true);
    OpenCurrentPage(shell);
}

} // namespace kelm
