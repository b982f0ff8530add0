#include "ui/scope/OscilloWindow.h"

#include "core/drive/status/StatusPageHost.h"

#include "ui/scope/TFOscillo.h"
#include "ui/scope/TFRegOsc.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellFlows.h"
#include "ui/shell/ShellHost.h"
#include "ui/widgets/ChildFrame.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace kelm {

namespace {

QPointer<TFOscillo> g_window;

} // namespace

TFOscillo* OscilloWindow() {
    return g_window;
}

bool OscilloWindowExists() {
    return !g_window.isNull();
}

void OscilloStatusStep() {
    if (TFOscillo* window = g_window)
        window->StatusStep();
}

void OscilloCaptureComplete() {
    if (TFOscillo* window = g_window)
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
    if (g_window)
        return;
    auto* window = new TFOscillo(shell);
    window->setAttribute(Qt::WA_DeleteOnClose);
    g_window = window;
    ChildWindows::Hooks hooks;
    hooks.OnlineChanged = [window = QPointer<TFOscillo>(window)](bool online) {
        if (window)
            window->LineChanged(online);
    };
    const int id =
        shell.Children().Register(ChildWindows::Role::Other, window->objectName(), hooks);
    QObject::connect(window, &TFOscillo::Closed, window, [window, id, &shell] {
        if (g_window == window)
            g_window = nullptr;
        shell.Children().Unregister(id);
    });
    if (QMdiArea* area = shell.Frame()) {
        // The close box is there in every state, also with a silent drive.
        QMdiSubWindow* sub = area->addSubWindow(
            window, Qt::SubWindow | Qt::WindowMinMaxButtonsHint | Qt::WindowTitleHint |
                        Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setGeometry(4, 4, 650, 556);
        sub->showMaximized();
    } else {
        window->setParent(shell.Window(), Qt::Window);
        window->resize(window->sizeHint().expandedTo(QSize(650, 556)));
        window->show();
    }
    window->Start();
}

void CloseOscilloscope(ShellHost& /*shell*/) {
    TFOscillo* window = g_window;
    if (window == nullptr)
        return;
    QWidget* frame = ChildFrame(window);
    // Freed now rather than at the next turn of the event loop: the selection that follows
    // runs its own dialogs and must find no oscilloscope.
    if (frame->close())
        delete frame;
}

void InstallOscilloWindow(ShellFlows& flows) {
    flows.Windows[QStringLiteral("TFOscillo")] = &ShowOscilloWindow;
    flows.OpenTraceViewer = &OpenTraceViewer;
}

} // namespace kelm
