#pragma once

// Stand-ins for the flows a test does not exercise: the main window is built only with
// complete flows. The drive selection and the transfers are the program's own.

#include "ui/drive/SelectDrive.h"
#include "ui/drive/TFConnectD.h"
#include "ui/shell/ShellFlows.h"
#include "ui/shell/ShellHost.h"
#include "ui/shell/StatusPanelView.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QVBoxLayout>
#include <memory>

namespace kelm::test {

// The right-hand panel without the status monitor: it shows the on-line and alarm states
// and polls nothing.
class StandInPanel final : public StatusPanelView {
public:
    explicit StandInPanel(QWidget* parent) : widget_(new QWidget(parent)) {
        widget_->setObjectName(QStringLiteral("PInfo"));
        auto* layout = new QVBoxLayout(widget_);
        state_ = new QLabel(QStringLiteral("Off Line"), widget_);
        alarm_ = new QLabel(QStringLiteral("&Empty"), widget_);
        layout->addWidget(state_);
        layout->addWidget(alarm_);
    }
    QWidget* Widget() override { return widget_; }
    void ApplyLayout(const StatusPanelLayout& layout) override {
        alarmEnabled_ = layout.AlarmButtonEnabled;
        state_->setText(layout.Online ? QStringLiteral("On Line") : QStringLiteral("Off Line"));
    }
    bool Refresh() override { return false; }
    void ShowAlarmState(bool alarm) override {
        alarm_->setText(alarm ? QStringLiteral("&Present") : QStringLiteral("&Empty"));
    }
    bool AlarmButtonEnabled() const override { return alarmEnabled_; }
    void PressEnable() override {}
    void PressDisable() override {}
    void SetAlarmAction(std::function<void()>) override {}

private:
    QPointer<QWidget> widget_;
    QLabel* state_ = nullptr;
    QLabel* alarm_ = nullptr;
    bool alarmEnabled_ = false;
};

// A window flow that puts an empty widget named `name` into the frame (deleted on close)
// and counts the windows it made.
inline std::function<void(ShellHost&)> FakeWindowFlow(const QString& name, int* created = nullptr) {
    return [name, created](ShellHost& shell) {
        if (created)
            ++*created;
        auto* widget = new QWidget;
        widget->setObjectName(name);
        QMdiSubWindow* sub = shell.Frame()->addSubWindow(widget);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->show();
    };
}

// Fills every empty entry: the program's selection and transfers, the stand-in panel, a
// port dialog that changes nothing, and windows and flows that do nothing.
inline void CompleteFlows(ShellFlows& flows) {
    const auto nothing = [](ShellHost&) {};
    if (!flows.SelectDrive)
        flows.SelectDrive = &SelectDrive;
    if (!flows.SelectLinkDirect)
        flows.SelectLinkDirect = &SelectLinkDirect;
    if (!flows.RunTransfer)
        flows.RunTransfer = &TFConnectD::RunTransfer;
    if (!flows.ComSettings)
        flows.ComSettings = [](ShellHost&, bool) { return false; };
    if (!flows.UserChange)
        flows.UserChange = nothing;
    if (!flows.ShowAlarmWindow)
        flows.ShowAlarmWindow = nothing;
    if (!flows.MakeStatusPanel)
        flows.MakeStatusPanel = [](ShellHost&, QWidget* parent) {
            return std::make_unique<StandInPanel>(parent);
        };
    if (!flows.AfterStatusRefresh)
        flows.AfterStatusRefresh = nothing;
    if (!flows.OpenTraceViewer)
        flows.OpenTraceViewer = [](ShellHost&, const QString&) {};
    for (const QString& name : RequiredWindows())
        if (!flows.Windows[name])
            flows.Windows[name] = nothing;
}

} // namespace kelm::test
