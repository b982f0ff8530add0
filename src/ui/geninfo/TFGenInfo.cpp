#include "ui/geninfo/TFGenInfo.h"
#include "ui/widgets/ChangeMark.h"

#include "core/drive/DriveIdentity.h"
#include "core/drive/TDriver.h"
#include "core/params/ParamTable.h"
#include "core/seams/Messages.h"
#include "ui/pages/EditWrite.h"
#include "ui/widgets/TPNumEdit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>

namespace kelm {

namespace {

QGroupBox* NewGroup(const QString& name, const QString& caption, QWidget* parent) {
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(name);
    return group;
}

QCheckBox* NewCheck(const QString& name, const QString& caption, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QPushButton* NewButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(true); // Enter presses the focused button
    return button;
}

} // namespace

TFGenInfo::TFGenInfo(TDriver& driver, QWidget* parent)
    : QDialog(parent), driver_(driver), kind_(driver.CurrentKind()),
      registers_(GenInfoRegistersFor(kind_)), edits_(kind_, driver.ActiveTable()) {
    setObjectName(QStringLiteral("TFGenInfo"));
    setWindowTitle(QStringLiteral("  General  Settings"));
    Build();
}

QLabel* TFGenInfo::AddPanel(QGroupBox* group, int row, const QString& name,
                            const QString& caption) {
    auto* grid = static_cast<QGridLayout*>(group->layout());
    auto* label = new QLabel(caption, group);
    label->setObjectName(QStringLiteral("L") + name);
    auto* panel = new QLabel(group);
    panel->setObjectName(QStringLiteral("P") + name);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setMinimumWidth(110);
    grid->addWidget(label, row, 0);
    grid->addWidget(panel, row, 1);
    return panel;
}

void TFGenInfo::Build() {
    auto* layout = new QVBoxLayout(this);
    auto* pc = new QHBoxLayout;
    pc->addWidget(new QLabel(QStringLiteral("PC Software Ver"), this));
    pcVersion_ = new QLabel(this);
    pcVersion_->setObjectName(QStringLiteral("PPcVersion"));
    pc->addWidget(pcVersion_);
    pc->addStretch();
    layout->addLayout(pc);

    driveGroup_ = NewGroup(QStringLiteral("GDrive"), QString(), this);
    new QGridLayout(driveGroup_);
    pModel_ = AddPanel(driveGroup_, 0, QStringLiteral("Model"), QString());
    pFirmware_ = AddPanel(driveGroup_, 1, QStringLiteral("Firmware"), QString());
    pSize_ = AddPanel(driveGroup_, 2, QStringLiteral("Size"), QString());
    pBoot_ = AddPanel(driveGroup_, 3, QStringLiteral("Boot"), QString());
    pApplication_ =
        AddPanel(driveGroup_, 4, QStringLiteral("Application"), QStringLiteral("Application"));
    lModel_ = driveGroup_->findChild<QLabel*>(QStringLiteral("LModel"));
    lFirmware_ = driveGroup_->findChild<QLabel*>(QStringLiteral("LFirmware"));
    lSize_ = driveGroup_->findChild<QLabel*>(QStringLiteral("LSize"));
    lBoot_ = driveGroup_->findChild<QLabel*>(QStringLiteral("LBoot"));
    lApplication_ = driveGroup_->findChild<QLabel*>(QStringLiteral("LApplication"));
    layout->addWidget(driveGroup_);

    hwGroup_ = NewGroup(QStringLiteral("GHwInfo"), QStringLiteral(" Hw Info "), this);
    auto* hw = new QHBoxLayout(hwGroup_);
    pHwInfo_ = new QLabel(hwGroup_);
    pHwInfo_->setObjectName(QStringLiteral("PHwInfo"));
    hw->addWidget(pHwInfo_);
    layout->addWidget(hwGroup_);

    // Two columns that close up over the groups a kind hides.
    auto* settings = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    settings->addLayout(left);
    settings->addLayout(right);
    regenGroup_ = NewGroup(QStringLiteral("GRegen"), QStringLiteral(" Regen Resistance "), this);
    cRegen_ = new QComboBox(regenGroup_);
    cRegen_->setObjectName(QStringLiteral("CRegen"));
    cRegen_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    (new QHBoxLayout(regenGroup_))->addWidget(cRegen_);
    left->addWidget(regenGroup_);

    relayGroup_ = NewGroup(QStringLiteral("GRelay"), QString(), this);
    auto* relay = new QVBoxLayout(relayGroup_);
    cI2t_ = NewCheck(QStringLiteral("CI2t"), QStringLiteral("Open with I2t Drive"), relayGroup_);
    cReady_ = NewCheck(QStringLiteral("CReady"), QStringLiteral("Closed when ready"), relayGroup_);
    relay->addWidget(cI2t_);
    relay->addWidget(cReady_);
    right->addWidget(relayGroup_);

    stopGroup_ = NewGroup(QStringLiteral("GEmergency"), QStringLiteral(" Emergency Stop "), this);
    cEmergency_ = NewCheck(QStringLiteral("CEmergency"), QStringLiteral("Enabled"), stopGroup_);
    (new QHBoxLayout(stopGroup_))->addWidget(cEmergency_);
    right->addWidget(stopGroup_);

    canGroup_ = NewGroup(QStringLiteral("GCan"), QStringLiteral(" CAN Baud Rate "), this);
    cCan_ = new QComboBox(canGroup_);
    cCan_->setObjectName(QStringLiteral("CCan"));
    cCan_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    (new QHBoxLayout(canGroup_))->addWidget(cCan_);
    left->addWidget(canGroup_);

    idGroup_ = NewGroup(QStringLiteral("GDeviceId"), QStringLiteral(" Device ID "), this);
    auto* id = new QHBoxLayout(idGroup_);
    eAddress_ = new TPNumEdit(idGroup_);
    eAddress_->setObjectName(QStringLiteral("EAddress"));
    bDefault_ = NewButton(QStringLiteral("BDefault"), QStringLiteral("&Default"), idGroup_);
    id->addWidget(eAddress_);
    id->addWidget(bDefault_);
    left->addWidget(idGroup_);

    unitsGroup_ = NewGroup(QStringLiteral("GUnits"), QStringLiteral(" N° of Tarn Drive "), this);
    eUnits_ = new TPNumEdit(unitsGroup_);
    eUnits_->setObjectName(QStringLiteral("ENumDrive"));
    (new QHBoxLayout(unitsGroup_))->addWidget(eUnits_);
    right->addWidget(unitsGroup_);
    left->addStretch();
    right->addStretch();
    layout->addLayout(settings);

    auto* buttons = new QHBoxLayout;
    bApply_ = NewButton(QStringLiteral("BApply"), QStringLiteral("&Apply"), this);
    bOk_ = NewButton(QStringLiteral("BOk"), QStringLiteral("&Ok"), this);
    bCancel_ = NewButton(QStringLiteral("BCancel"), QStringLiteral("&Cancel"), this);
    bOk_->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(bApply_);
    buttons->addWidget(bOk_);
    buttons->addWidget(bCancel_);
    layout->addLayout(buttons);

    // The user's choices are edits; a typed number is one at Apply.
    const auto relayBox = [this](QCheckBox* box, std::uint16_t bit) {
        connect(box, &QCheckBox::clicked, this, [this, bit](bool on) {
            edits_.SetRelayBit(bit, on);
            Recolour();
        });
    };
    relayBox(cI2t_, RelayOpenWithI2t);
    relayBox(cReady_, RelayClosedWhenReady);
    relayBox(cEmergency_, EmergencyStopEnabled);
    connect(cRegen_, &QComboBox::activated, this, [this](int index) {
        edits_.ChooseRegen(index);
        Recolour();
    });
    connect(cCan_, &QComboBox::activated, this, [this](int index) {
        edits_.ChooseCan(index);
        Recolour();
    });
    for (TPNumEdit* field : {eAddress_, eUnits_}) {
        field->SetChangeHandler([this](TPNumEdit&) { Recolour(); });
        // Enter takes the number (clamped) without closing the dialog.
        field->SetKeyHandler([](TPNumEdit&, QKeyEvent& event) {
            return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
        });
    }
    connect(bDefault_, &QPushButton::clicked, this, [this] {
        edits_.SetAddress(1);
        eAddress_->ShowNumber(1);
        Recolour();
    });
    connect(bApply_, &QPushButton::clicked, this, &TFGenInfo::Apply);
    connect(bOk_, &QPushButton::clicked, this, &TFGenInfo::Ok);
    connect(bCancel_, &QPushButton::clicked, this, &TFGenInfo::Cancel);
}

void TFGenInfo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The window system showing it again (restored from minimized) keeps the user's edits;
    // only a new showing loads the table.
    if (event->spontaneous())
        return;
    const ParamTable& table = driver_.ActiveTable();
    const GenInfoTexts texts = GenInfoTextsFor(kind_, table);
    pcVersion_->setText(PcSoftwareVersion());
    driveGroup_->setTitle(texts.GroupCaption);
    lModel_->setText(texts.ModelLabel);
    pModel_->setText(texts.Model);
    lFirmware_->setText(texts.FirmwareLabel);
    pFirmware_->setText(texts.Firmware);
    lSize_->setText(texts.SizeLabel);
    pSize_->setText(texts.Size);
    const bool boot = !texts.BootLabel.isEmpty();
    lBoot_->setVisible(boot);
    pBoot_->setVisible(boot);
    lBoot_->setText(texts.BootLabel);
    pBoot_->setText(texts.Boot);
    const bool application = kind_ == DeviceKind::Power;
    lApplication_->setVisible(application);
    pApplication_->setVisible(application);
    pApplication_->setText(texts.Application);
    hwGroup_->setVisible(registers_.HwInfoFirst >= 0);
    pHwInfo_->setText(texts.HwInfo);

    regenGroup_->setVisible(registers_.Regen >= 0);
    cRegen_->clear();
    cRegen_->addItems(GenInfoRegenItems(kind_, table));
    relayGroup_->setVisible(registers_.Relay >= 0);
    relayGroup_->setTitle(texts.RelayCaption);
    stopGroup_->setVisible(registers_.Relay >= 0);
    cReady_->setVisible(kind_ == DeviceKind::Std);
    cReady_->setEnabled(ReadyRelayChoiceEnabled(GetModelFamily(kind_, table)));
    cCan_->clear();
    cCan_->addItems(registers_.LinkCan ? LinkCanBaudList().Items : PlainCanBaudList().Items);
    eAddress_->WrMin(1);
    eAddress_->WrMax(registers_.AddressMax);
    unitsGroup_->setVisible(registers_.Units >= 0);
    if (const ParamEntry* units =
            registers_.Units >= 0
                ? table.FindByAddress(static_cast<std::uint16_t>(registers_.Units))
                : nullptr) {
        eUnits_->WrMin(units->MinValue);
        eUnits_->WrMax(units->MaxValue);
    }
    edits_.Open();
    LoadControls();
    Recolour();
    SetOnline(driver_.Online());
    // The size of what this kind shows, without room for the hidden groups.
    adjustSize();
}

void TFGenInfo::LoadControls() {
    const GenInfoSelection s = edits_.Selection();
    cRegen_->setCurrentIndex(cRegen_->count() > 0 ? s.RegenIndex : -1);
    cI2t_->setChecked(s.OpenWithI2t);
    cReady_->setChecked(s.ClosedWhenReady);
    cEmergency_->setChecked(s.EmergencyStop);
    cCan_->setCurrentIndex(s.CanIndex);
    // A stored number outside the field's limits is shown as it is and left alone.
    eAddress_->ShowNumber(s.Address);
    eUnits_->ShowNumber(s.Units);
}

void TFGenInfo::SetOnline(bool online) {
    for (QWidget* group : std::initializer_list<QWidget*>{regenGroup_, relayGroup_, stopGroup_,
                                                          canGroup_, idGroup_, unitsGroup_})
        group->setEnabled(
            online && (group != regenGroup_ || GenInfoRegenEnabled(kind_, driver_.ActiveTable())));
    bApply_->setEnabled(online);
}

void TFGenInfo::CollectFields() {
    if (eAddress_->Edited()) {
        if (eAddress_->EditPending())
            eAddress_->ChkVal();
        edits_.SetAddress(eAddress_->RdValore());
        eAddress_->ClearEdited();
    }
    if (eUnits_->Edited()) {
        if (eUnits_->EditPending())
            eUnits_->ChkVal();
        edits_.SetUnits(eUnits_->RdValore());
        eUnits_->ClearEdited();
    }
}

bool TFGenInfo::Apply() {
    if (!driver_.Online()) {
        ShowInfo(QStringLiteral("Off Line: nothing was written."));
        return false; // the edits stay
    }
    CollectFields();
    if (edits_.Empty()) {
        LoadControls();
        Recolour();
        return true;
    }
    WriteGate::Scope scope(driver_.Gate(), driver_.Ask(QStringLiteral("General Settings Apply")));
    // The exchanges process window events: the dialog may go meanwhile.
    const QPointer<TFGenInfo> self(this);
    EditWriteResult result = WriteEdits(driver_, edits_.Tracker());
    if (!self)
        return false;
    edits_.Keep(std::move(result.Left));
    LoadControls();
    Recolour();
    // The windows that show these registers (the Power unit's regeneration resistor on the
    // main page) follow them.
    driver_.Notice().Applied(result.Written);
    return result.Online && edits_.Empty();
}

void TFGenInfo::Ok() {
    if (Apply())
        accept(); // otherwise what did not reach the drive stays in the dialog
}

void TFGenInfo::Cancel() {
    edits_.Clear();
    LoadControls();
    Recolour();
    QDialog::reject();
}

void TFGenInfo::reject() {
    Cancel();
}

bool TFGenInfo::IsMarked(const QWidget* control) const {
    if (control == cRegen_)
        return edits_.Edited(registers_.Regen);
    if (control == cCan_)
        return edits_.Edited(registers_.Can);
    if (control == cI2t_)
        return edits_.RelayBitEdited(RelayOpenWithI2t);
    if (control == cReady_)
        return edits_.RelayBitEdited(RelayClosedWhenReady);
    if (control == cEmergency_)
        return edits_.RelayBitEdited(EmergencyStopEnabled);
    if (control == eAddress_)
        return eAddress_->Edited() || edits_.Edited(registers_.Address);
    if (control == eUnits_)
        return eUnits_->Edited() || edits_.Edited(registers_.Units);
    return false;
}

void TFGenInfo::Recolour() {
    for (QWidget* control : std::initializer_list<QWidget*>{cRegen_, cI2t_, cReady_, cEmergency_,
                                                            cCan_, eAddress_, eUnits_}) {
        const bool marked = IsMarked(control);
        if (auto* field = qobject_cast<TPNumEdit*>(control)) {
            field->SetMarked(marked);
            continue;
        }
        MarkChanged(control, marked);
    }
}

} // namespace kelm
