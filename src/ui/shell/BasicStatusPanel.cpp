#include "ui/shell/BasicStatusPanel.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kelm {

BasicStatusPanel::BasicStatusPanel(ShellHost&, QWidget* parent) : widget_(new QWidget(parent)) {
    widget_->setObjectName(QStringLiteral("PInfo"));
    auto* layout = new QVBoxLayout(widget_);
    state_ = new QLabel(QStringLiteral("Off Line"), widget_);
    alarm_ = new QLabel(QStringLiteral("&Empty"), widget_);
    layout->addWidget(state_);
    layout->addWidget(alarm_);
    widget_->setMinimumWidth(180);
}

QWidget* BasicStatusPanel::Widget() {
    return widget_;
}

void BasicStatusPanel::ApplyLayout(const StatusPanelLayout& layout) {
    alarmEnabled_ = layout.AlarmButtonEnabled;
    state_->setText(layout.Online ? QStringLiteral("On Line") : QStringLiteral("Off Line"));
}

void BasicStatusPanel::ShowAlarmState(bool alarm) {
    alarm_->setText(alarm ? QStringLiteral("&Present") : QStringLiteral("&Empty"));
}

} // namespace kelm
