#pragma once

#include "core/drive/status/StatusLink.h"
#include "core/drive/status/StatusPoller.h"
#include "ui/shell/StatusPanelView.h"
#include "ui/status/StatusPanelWidget.h"

#include <QPointer>

namespace kelm {

class ShellHost;
class StatusPageHost;

// The status monitor as the main window uses it: the status panel widget, and the status
// poll bodies installed as the drive model's StatusPoll poll body. The poll's refresh runs the
// main window's StatusRefresh, which calls Refresh() here.
//
// Destroy it while the drive model still exists: the destructor removes the poll body.
// The panel widget belongs to the parent given (or to the monitor when there is none).
class StatusMonitor final : public StatusPanelView {
public:
    StatusMonitor(ShellHost& shell, QWidget* parent);
    ~StatusMonitor() override;
    StatusMonitor(const StatusMonitor&) = delete;
    StatusMonitor& operator=(const StatusMonitor&) = delete;

    // The factory for ShellFlows::MakeStatusPanel.
    static std::unique_ptr<StatusPanelView> Make(ShellHost& shell, QWidget* parent);

    // The pages the poll reaches (digital and analog pages, oscilloscope).
    void SetPageHost(StatusPageHost* host) override;
    void SetRequestButtonsEnabled(bool enabled) override;
    void SetAlarmButtonEnabled(bool enabled) override;
    void ServicePendingRequests() override { poller_.ServicePendingRequests(); }
    StatusPanelWidget& Panel() { return *panel_; }

    QWidget* Widget() override;
    void ApplyLayout(const StatusPanelLayout& layout) override;
    bool Refresh() override;
    void ShowAlarmState(bool alarm) override;
    bool AlarmButtonEnabled() const override;
    void PressEnable() override;
    void PressDisable() override;
    void SetAlarmAction(std::function<void()> action) override;

private:
    ShellHost& shell_;
    QPointer<StatusPanelWidget> panel_;
    DriverStatusLink link_;
    StatusPoller poller_;
    std::function<void()> alarmAction_;
};

} // namespace kelm
