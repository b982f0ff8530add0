#include "ui/scope/OscilloWindow.h"

#include "core/drive/status/StatusPageHost.h"
#include "core/rules/OscilloTiling.h"

#include "ui/scope/TFOscillo.h"
#include "ui/scope/TFRegOsc.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/CommandController.h"
#include "ui/shell/ShellFlows.h"
#include "ui/shell/ShellHost.h"
#include "ui/widgets/SingleWindow.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace kelm {

namespace {

SingleWindow<TFOscillo> g_window;

} // namespace

TFOscillo* OscilloWindow() {
    return g_window.Get();
}

bool OscilloWindowExists() {
    return g_window.Get() != nullptr;
}

void OscilloStatusStep() {
    if (TFOscillo* window = g_window.Get())
        window->StatusStep();
}

void OscilloCaptureComplete() {
    if (TFOscillo* window = g_window.Get())
        window->CaptureComplete();
}

namespace {

class OscilloStatusHost final : public StatusPageHost {
public:
    bool DigitalPageOpen() const override { return false; }
    void SetDigitalEnableSwitch(bool) override {}
    void DigitalRefresh() override {}
    bool AnalogPageOpen() const override { return false; }
    void AnalogRefresh() override {}
    bool ScopeWindowExists() const override { return OscilloWindowExists(); }
    void ScopeStatusStep() override { OscilloStatusStep(); }
    void ScopeCaptureComplete() override { OscilloCaptureComplete(); }
};

} // namespace

StatusPageHost& OscilloPageHost() {
    static OscilloStatusHost host;
    return host;
}

void ShowOscilloWindow(ShellHost& shell) {
    if (g_window.BringToFront())
        return;
    auto* window = new TFOscillo(shell);
    window->setAttribute(Qt::WA_DeleteOnClose);
    g_window.Keep(*window);
    ChildWindows::Hooks hooks;
    hooks.OnlineChanged = [window = QPointer<TFOscillo>(window)](bool online) {
        if (window)
            window->LineChanged(online);
    };
    const int id =
        shell.Children().Register(ChildWindows::Role::Other, window->objectName(), hooks);
    QObject::connect(window, &TFOscillo::Closed, window, [window, id, &shell] {
        g_window.Forget(window);
        shell.Children().Unregister(id);
    });
    // The close box is there in every state, also with a silent drive.
    QMdiSubWindow& sub =
        AddChildWindow(*shell.Frame(), *window,
                       Qt::SubWindow | Qt::WindowMinMaxButtonsHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // Filled first: its own size is at least 650x556, and whatever its filled content needs
    // beyond that.
    window->Start();
    sub.setGeometry(QRect(QPoint(4, 4), sub.sizeHint().expandedTo(QSize(650, 556))));
    // Content that came later (the speed group, units) is never cut when it is restored.
    QObject::connect(&sub, &QMdiSubWindow::windowStateChanged, &sub,
                     [&sub](Qt::WindowStates, Qt::WindowStates now) {
                         if (!(now & (Qt::WindowMaximized | Qt::WindowMinimized)))
                             sub.resize(sub.size().expandedTo(sub.sizeHint()));
                     });
    sub.showMaximized();
}

void CloseOscilloscope(ShellHost& /*shell*/) {
    TFOscillo* window = g_window.Get();
    if (window == nullptr)
        return;
    QWidget* frame = ChildFrame(window);
    // Freed now rather than at the next turn of the event loop: the selection that follows
    // runs its own dialogs and must find no oscilloscope.
    if (frame->close())
        delete frame;
}

void TileOscilloscope(ShellHost& shell) {
    TFOscillo* window = g_window.Get();
    QMdiArea* area = shell.Frame();
    if (window == nullptr || area == nullptr)
        return;
    QWidget* scope = ChildFrame(window);
    QMdiSubWindow* loop = nullptr;
    for (const char* name : {"TFSpeed", "TFPosit", "TFCurrent"})
        if (QMdiSubWindow* sub = FindSubWindow(*area, QString::fromLatin1(name));
            sub != nullptr && loop == nullptr && !sub->isHidden())
            loop = sub;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(scope))
        sub->showNormal();
    if (loop != nullptr)
        loop->showNormal();
    const QRect frame(QPoint(0, 0), area->viewport()->size());
    const QSize loopSize = loop != nullptr ? loop->size() : QSize(0, 0);
    const TiledWindows tiled = TileLoopAndScope(frame, loopSize, scope->minimumSize());
    scope->setGeometry(tiled.Scope);
    if (loop != nullptr) {
        loop->setGeometry(tiled.Loop);
        loop->raise();
    }
}

void InstallOscilloWindow(ShellFlows& flows) {
    flows.Windows[QStringLiteral("TFOscillo")] = &ShowOscilloWindow;
    flows.OpenTraceViewer = &OpenTraceViewer;
}

} // namespace kelm
