#include "ui/status/StatusPanelWidget.h"

#include "core/drive/status/StatusPageHost.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kelm {

namespace {

constexpr const char* AlarmPresentCaption = "&Present";
constexpr const char* AlarmEmptyCaption = "&Empty";

QLabel* AddRow(QFormLayout* form, const QString& caption) {
    auto* value = new QLabel;
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setMinimumWidth(80);
    form->addRow(caption, value);
    return value;
}

constexpr int MarkerGap = 4;

} // namespace

StatusPanelWidget::StatusPanelWidget(QWidget* parent) : QWidget(parent) {
    auto* info = new QVBoxLayout(this);
    info->setContentsMargins(2, 2, 2, 2);

    auto* alarms = new QGroupBox(QStringLiteral(" Alarms "));
    auto* alarmLayout = new QVBoxLayout(alarms);
    BAllarm = new QPushButton(QLatin1String(AlarmEmptyCaption));
    BAllarm->setIcon(style()->standardIcon(QStyle::SP_DialogYesButton));
    alarmLayout->addWidget(BAllarm);
    connect(BAllarm, &QPushButton::clicked, this, &StatusPanelWidget::AlarmButtonClicked);
    info->addWidget(alarms);

    GAlarmList = new QGroupBox(QStringLiteral(" Alarms List "));
    auto* listLayout = new QVBoxLayout(GAlarmList);
    auto* view = new QPushButton(QStringLiteral("View"));
    view->setEnabled(false);
    listLayout->addWidget(view);
    info->addWidget(GAlarmList);

    // The power status group takes the place of the drive status group.
    info->addWidget(BuildDriveStatus());
    info->addWidget(BuildPowerStatus());
    info->addWidget(BuildAnalog(0));
    info->addWidget(BuildAnalog(1));
    info->addWidget(BuildDriveGroup());
    info->addWidget(BuildLcd());
    info->addStretch();

    ApplyLayout(StatusPanelLayout{});
}

QGroupBox* StatusPanelWidget::BuildDriveStatus() {
    GDriveStatus = new QGroupBox(QStringLiteral(" Drive Status "));
    auto* form = new QFormLayout(GDriveStatus);
    LSpeed = AddRow(form, QStringLiteral("Speed (rpm)"));
    LAngle = AddRow(form, QStringLiteral("Angle (deg)"));
    LCurrent = AddRow(form, QStringLiteral("Current (%)"));
    LBus = AddRow(form, QStringLiteral("Bus Voltage (V)"));
    LTemperature = AddRow(form, QStringLiteral("Temperature (C)"));
    LIqRef = AddRow(form, QStringLiteral("Iq Ref"));
    LI2tRegen = AddRow(form, QStringLiteral("I2t Regen"));
    LPosition = AddRow(form, QStringLiteral("Position"));
    return GDriveStatus;
}

QGroupBox* StatusPanelWidget::BuildPowerStatus() {
    GPowerStatus = new QGroupBox(QStringLiteral(" Power Status "));
    auto* form = new QFormLayout(GPowerStatus);
    LPBus = AddRow(form, QStringLiteral("Bus Voltage (V)"));
    LPBackup = AddRow(form, QStringLiteral("Backup Voltage (V)"));
    LPCurrent = AddRow(form, QStringLiteral("Current (A)"));
    LPI2t = AddRow(form, QStringLiteral("I2t Current (%)"));
    LPI2tRegen = AddRow(form, QStringLiteral("I2t Regen (%)"));
    LPTemperature = AddRow(form, QStringLiteral("Temperature (C)"));
    return GPowerStatus;
}

QGroupBox* StatusPanelWidget::BuildAnalog(int selector) {
    auto* group = new QGroupBox;
    auto* layout = new QGridLayout(group);
    COut[selector] = new QComboBox;
    COut[selector]->setObjectName(selector == 0 ? QStringLiteral("COut1")
                                                : QStringLiteral("COut2"));
    COut[selector]->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    LOutValue[selector] = new QLabel;
    LOutValue[selector]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(COut[selector], 0, 0);
    layout->addWidget(LOutValue[selector], 0, 1);
    // Only a user's choice marks the list; the poll's own changes do not.
    connect(COut[selector], &QComboBox::activated, this, [this, selector] {
        selectorChanged_[selector] = true;
        if (origin_)
            selectorOrigins_[static_cast<std::size_t>(selector)] =
                origin_(QStringLiteral("Analog output %1 selector").arg(selector + 1));
    });
    GAnalog[selector] = group;
    return group;
}

QGroupBox* StatusPanelWidget::BuildDriveGroup() {
    PDive = new QGroupBox(QStringLiteral(" Drive "));
    auto* layout = new QGridLayout(PDive);
    layout->setColumnMinimumWidth(0, 16);
    BDEn = new QPushButton(QStringLiteral("E&nable"));
    BDDis = new QPushButton(QStringLiteral("D&isable"));
    for (QPushButton* button : {BDEn, BDDis})
        button->setCheckable(true);
    layout->addWidget(BDEn, 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("(CTRL+F1)")), 0, 2);
    layout->addWidget(BDDis, 1, 1);
    layout->addWidget(new QLabel(QStringLiteral("(F1)")), 1, 2);
    connect(BDEn, &QPushButton::clicked, this, [this] { RequestClicked(DriveRequest::Enable); });
    connect(BDDis, &QPushButton::clicked, this, [this] { RequestClicked(DriveRequest::Disable); });
    // The marker is placed by hand beside the button of the drive's state.
    SDriveState = new QLabel(PDive);
    SDriveState->setFixedSize(10, 10);
    SDriveState->setStyleSheet(QStringLiteral("background: lime; border-radius: 5px;"));
    SDriveState->hide();
    return PDive;
}

QGroupBox* StatusPanelWidget::BuildLcd() {
    GLcd = new QGroupBox(QStringLiteral(" LCD "));
    auto* layout = new QVBoxLayout(GLcd);
    QFont mono(QStringLiteral("Monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    for (QLabel*& line : LLcd) {
        line = new QLabel;
        line->setFont(mono);
        layout->addWidget(line);
    }
    return GLcd;
}

void StatusPanelWidget::SetRowVisible(QLabel* value, bool visible) {
    if (auto* form = qobject_cast<QFormLayout*>(value->parentWidget()->layout()))
        form->setRowVisible(value, visible);
}

void StatusPanelWidget::FillSelector(int selector, const QStringList& items) {
    QComboBox* box = COut[selector];
    box->clear();
    box->addItems(items);
}

void StatusPanelWidget::ApplyLayout(const StatusPanelLayout& layout) {
    GAlarmList->setVisible(layout.AlarmListGroupVisible);
    PDive->setVisible(layout.DriveGroupVisible);
    GDriveStatus->setVisible(layout.DriveGroupVisible);
    GPowerStatus->setVisible(layout.PowerGroupVisible);
    GLcd->setVisible(layout.LcdGroupVisible);
    GAnalog[0]->setVisible(layout.Analog1Visible);
    GAnalog[1]->setVisible(layout.Analog2Visible);
    GAnalog[0]->setTitle(layout.Analog1Caption);
    GAnalog[1]->setTitle(layout.Analog2Caption);
    const std::array<const QStringList*, 2> entries{&layout.Selector1Entries,
                                                    &layout.Selector2Entries};
    for (int i = 0; i < 2; ++i) {
        // Refilling drops the selection; keep the list when it is unchanged.
        QStringList current;
        for (int k = 0; k < COut[i]->count(); ++k)
            current << COut[i]->itemText(k);
        if (current != *entries[i])
            FillSelector(i, *entries[i]);
    }
    if (layout.Online) {
        SetRowVisible(LTemperature, layout.TemperatureRowVisible);
        SetRowVisible(LIqRef, layout.OrcaRowsVisible);
        SetRowVisible(LI2tRegen, layout.OrcaRowsVisible);
    }
    if (layout.ClearSelectorMarks)
        selectorChanged_ = {false, false};
    COut[0]->setEnabled(layout.Selector1Enabled);
    COut[1]->setEnabled(layout.Selector2Enabled);
    BAllarm->setEnabled(layout.AlarmButtonEnabled);
    if (layout.ClearValues)
        ClearStatusDisplay();
    BDEn->setEnabled(layout.EnableButtonsEnabled);
    BDDis->setEnabled(layout.EnableButtonsEnabled);
    BDEn->setChecked(false);
    BDDis->setChecked(false);
}

void StatusPanelWidget::ClearStatusDisplay() {
    for (QLabel* label : {LSpeed, LAngle, LCurrent, LBus, LTemperature, LPosition, LIqRef,
                          LI2tRegen, LPBus, LPBackup, LPCurrent, LPI2t, LPI2tRegen, LPTemperature,
                          LOutValue[0], LOutValue[1], LLcd[0], LLcd[1]})
        label->clear();
    for (int i = 0; i < 2; ++i) {
        selectorChanged_[i] = false;
        COut[i]->setEnabled(false);
        COut[i]->setCurrentIndex(-1);
    }
    SDriveState->hide();
}

void StatusPanelWidget::ShowAlarmState(bool alarm) {
    const bool present = alarm && BAllarm->isEnabled();
    const QString caption = QLatin1String(present ? AlarmPresentCaption : AlarmEmptyCaption);
    if (BAllarm->text() != caption) {
        BAllarm->setText(caption);
        BAllarm->setIcon(style()->standardIcon(present ? QStyle::SP_DialogCancelButton
                                                       : QStyle::SP_DialogYesButton));
    }
}

void StatusPanelWidget::FollowDrive(int selector, int registerValue) {
    QComboBox* box = COut[selector];
    if (selectorChanged_[selector] || box->view()->isVisible())
        return;
    if (box->currentIndex() != registerValue)
        box->setCurrentIndex(registerValue < box->count() ? registerValue : -1);
}

void StatusPanelWidget::PlaceStateMarker(bool enabled) {
    SDriveState->hide();
    markerBesideEnable_ = enabled;
    const QPushButton* button = enabled ? BDEn : BDDis;
    const QRect r = button->geometry();
    SDriveState->move(r.left() - MarkerGap - SDriveState->width(),
                      r.top() + (r.height() - SDriveState->height()) / 2);
    SDriveState->show();
}

bool StatusPanelWidget::ShowStatus(const StatusView& view) {
    if (view.Kind == DeviceKind::Power) {
        LPBus->setText(view.PowerBusVoltage);
        LPBackup->setText(view.BackupVoltage);
        LPCurrent->setText(view.PowerCurrent);
        LPI2t->setText(view.I2tCurrent);
        LPI2tRegen->setText(view.PowerI2tRegen);
        LPTemperature->setText(view.PowerTemperature);
    } else {
        if (view.Kind == DeviceKind::Orca230) {
            LI2tRegen->setText(view.I2tRegen);
            LIqRef->setText(view.IqRef);
            LLcd[0]->setText(view.Lcd1);
            LLcd[1]->setText(view.Lcd2);
        }
        LSpeed->setText(view.Speed);
        LAngle->setText(view.Angle);
        LCurrent->setText(view.Current);
        LBus->setText(view.BusVoltage);
        LTemperature->setText(view.Temperature);
        LPosition->setText(view.Position);
        lastPosition_ = view.PositionValue;
        for (int i = 0; i < 2; ++i)
            FollowDrive(i, view.SelectorValue[i]);
        LOutValue[0]->setText(view.OutputValue[0]);
        if (view.Kind == DeviceKind::Drive || COut[1]->isEnabled())
            LOutValue[1]->setText(view.OutputValue[1]);
        PlaceStateMarker(view.DriveEnabled);
    }
    return view.Alarm;
}

bool StatusPanelWidget::Refresh() {
    return source_ ? ShowStatus(source_()) : false;
}

void StatusPanelWidget::StatusRefresh() {
    if (refresh_) {
        refresh_();
    } else {
        ShowAlarmState(Refresh());
    }
}

QPushButton* StatusPanelWidget::RequestButton(DriveRequest request) const {
    return request == DriveRequest::Enable ? BDEn : BDDis;
}

// A two-button group: the pressed one stays down, the other comes up.
void StatusPanelWidget::RequestClicked(DriveRequest request) {
    RequestButton(request)->setChecked(true);
    if (origin_)
        requestOrigins_[static_cast<std::size_t>(request)] = origin_(
            request == DriveRequest::Enable ? QStringLiteral("Enable") : QStringLiteral("Disable"));
    RequestButton(request == DriveRequest::Enable ? DriveRequest::Disable : DriveRequest::Enable)
        ->setChecked(false);
}

void StatusPanelWidget::PressEnable() {
    if (BDEn->isEnabled())
        BDEn->click();
}

void StatusPanelWidget::PressDisable() {
    if (BDDis->isEnabled())
        BDDis->click();
}

bool StatusPanelWidget::RequestButtonsEnabled() const {
    return BDEn->isEnabled();
}
bool StatusPanelWidget::DriveGroupVisible() const {
    return !PDive->isHidden();
}

int StatusPanelWidget::SelectorIndex(int selector) const {
    return COut[selector]->currentIndex();
}

bool StatusPanelWidget::RequestPending(DriveRequest request) const {
    return RequestButton(request)->isChecked();
}

void StatusPanelWidget::SetRequestWritten(DriveRequest request, bool written) {
    requestWritten_[static_cast<int>(request)] = written;
}

void StatusPanelWidget::ReleaseRequest(DriveRequest request) {
    RequestButton(request)->setChecked(false);
}

bool StatusPanelWidget::DigitalPageOpen() const {
    return host_ && host_->DigitalPageOpen();
}
void StatusPanelWidget::SetDigitalEnableSwitch(bool on) {
    if (host_)
        host_->SetDigitalEnableSwitch(on);
}
void StatusPanelWidget::DigitalRefresh() {
    if (host_)
        host_->DigitalRefresh();
}
bool StatusPanelWidget::AnalogPageOpen() const {
    return host_ && host_->AnalogPageOpen();
}
void StatusPanelWidget::AnalogRefresh() {
    if (host_)
        host_->AnalogRefresh();
}
bool StatusPanelWidget::ScopeWindowExists() const {
    return host_ && host_->ScopeWindowExists();
}
void StatusPanelWidget::ScopeStatusStep() {
    if (host_)
        host_->ScopeStatusStep();
}
void StatusPanelWidget::ScopeCaptureComplete() {
    if (host_)
        host_->ScopeCaptureComplete();
}

} // namespace kelm
