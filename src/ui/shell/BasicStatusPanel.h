#pragma once

#include "ui/shell/StatusPanelView.h"

#include <QPointer>

class QLabel;

namespace kelm {

class ShellHost;

// The right-hand panel used when no status monitor is installed (ShellFlows::
// MakeStatusPanel empty): it shows only the on-line state and the alarm state, and polls
// nothing.
class BasicStatusPanel final : public StatusPanelView {
public:
    BasicStatusPanel(ShellHost& shell, QWidget* parent);
    QWidget* Widget() override;
    void ApplyLayout(const StatusPanelLayout& layout) override;
    bool Refresh() override { return false; }
    void ShowAlarmState(bool alarm) override;
    bool AlarmButtonEnabled() const override { return alarmEnabled_; }
    void PressEnable() override {}
    void PressDisable() override {}
    void SetAlarmAction(std::function<void()>) override {} // no alarm button here

private:
    QPointer<QWidget> widget_;
    QLabel* state_ = nullptr;
    QLabel* alarm_ = nullptr;
    bool alarmEnabled_ = false;
};

} // namespace kelm
