#include "ui/status/StatusMonitor.h"

#include "core/drive/TDriver.h"
#include "ui/shell/ShellHost.h"
#include "ui/status/StatusPanelWidget.h"

#include <QLocale>
#include <QPushButton>

namespace kelm {

StatusMonitor::StatusMonitor(ShellHost& shell, QWidget* parent)
    : shell_(shell), panel_(new StatusPanelWidget(parent)), link_(shell.Driver()),
      poller_(link_, *panel_) {
    TDriver& driver = shell.Driver();
    panel_->SetViewSource([&driver] {
        return BuildStatusView(driver.ActiveTable(), driver.CurrentKind(), QLocale());
    });
    panel_->SetRefreshAction([&shell] { shell.StatusRefresh(); });
    panel_->SetOriginSource([&driver](const QString& action) { return driver.Ask(action); });
    QObject::connect(panel_, &StatusPanelWidget::AlarmButtonClicked, panel_, [this] {
        if (alarmAction_)
            alarmAction_();
    });
    InstallStatusPoll(driver, poller_);
}

StatusMonitor::~StatusMonitor() {
    shell_.Driver().SetPollBody(WorkerMode::StatusPoll, {});
}

std::unique_ptr<StatusPanelView> StatusMonitor::Make(ShellHost& shell, QWidget* parent) {
    return std::make_unique<StatusMonitor>(shell, parent);
}

void StatusMonitor::SetPageHost(StatusPageHost* host) {
    panel_->SetHost(host);
}

void StatusMonitor::SetRequestButtonsEnabled(bool enabled) {
    if (panel_ == nullptr)
        return;
    panel_->BDEn->setEnabled(enabled);
    panel_->BDDis->setEnabled(enabled);
}

void StatusMonitor::SetAlarmButtonEnabled(bool enabled) {
    if (panel_ != nullptr)
        panel_->BAllarm->setEnabled(enabled);
}

QWidget* StatusMonitor::Widget() {
    return panel_;
}
void StatusMonitor::ApplyLayout(const StatusPanelLayout& layout) {
    panel_->ApplyLayout(layout);
}
bool StatusMonitor::Refresh() {
    return panel_->Refresh();
}
void StatusMonitor::ShowAlarmState(bool alarm) {
    panel_->ShowAlarmState(alarm);
}
bool StatusMonitor::AlarmButtonEnabled() const {
    return panel_->BAllarm->isEnabled();
}
void StatusMonitor::PressEnable() {
    panel_->PressEnable();
}
void StatusMonitor::PressDisable() {
    panel_->PressDisable();
}
void StatusMonitor::SetAlarmAction(std::function<void()> action) {
    alarmAction_ = std::move(action);
}

} // namespace kelm
