#include "ui/pages/TFMainDev.h"

#include "core/config/ConfigurationSet.h"
#include "core/drive/DriveIdentity.h"
#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "core/params/ParamTable.h"
#include "core/rules/FieldBinding.h"
#include "core/rules/HomingChoice.h"
#include "core/rules/LoopRules.h"
#include "core/rules/RegenResistor.h"
#include "core/seams/Messages.h"
#include "ui/pages/EditWrite.h"
#include "ui/widgets/TPNumEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

namespace kelm {

namespace {

// A page button "BSpeed" opens the page window "TFSpeed".
QString PageOfButton(const QString& buttonName) {
    return QStringLiteral("TF") + buttonName.mid(1);
}

QLabel* NewLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QComboBox* NewList(const QString& name, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    // The items come with the kind: the list grows with the longest.
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return list;
}

QLabel* NewPanel(const QString& name, QWidget* parent) {
    QLabel* panel = NewLabel(name, QString(), parent);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setMinimumWidth(100);
    return panel;
}

void ShowAll(std::initializer_list<QWidget*> widgets, bool shown) {
    for (QWidget* widget : widgets)
        widget->setVisible(shown);
}

} // namespace

TFMainDev::TFMainDev(TDriver& driver, MainDevLinks links, QWidget* parent)
    : QWidget(parent), driver_(driver), links_(std::move(links)),
      a_(MainDevAddressTable(DeviceKind::Std)), fields_(driver.ActiveTable()),
      edits_(driver.ActiveTable()) {
    setObjectName(QStringLiteral("TFMainDev"));
    setWindowTitle(QStringLiteral(" Drives "));
    auto* layout = new QHBoxLayout(this);
    BuildMainGroup();
    BuildHomingGroup();
    BuildPowerGroup();
    layout->addWidget(mainGroup_);
    layout->addWidget(homingGroup_);
    layout->addWidget(powerGroup_);
    layout->addStretch();
    // The kind's layout shows and hides fields after the window is up: keep the window at
    // least as large as what it shows, so no caption is cut.
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    fields_.Add(eTorqSat_);
    fields_.Add(eSq_);
    fields_.Add(eSearch_);
    fields_.Add(eAcc_);
    fields_.Add(eSpeed_);
    fields_.Add(eZero_);
    fields_.Add(eOffSet_, true);
    fields_.Add(ePos1_, true);
    fields_.Add(ePos2_, true);
    speedField_->installEventFilter(this);

    connect(&driver_.Notice(), &TableNotice::TableChanged, this, &TFMainDev::TableChanged);
    DigitalSpeedReference& reference = driver_.DigitalSpeed();
    speedField_->setEnabled(!reference.Held());
    // While another window holds the field it shows that window's speeds.
    connect(&reference, &DigitalSpeedReference::HeldChanged, this, [this](bool held) {
        speedField_->setEnabled(!held);
        PublishSpeed();
    });
    connect(&reference, &DigitalSpeedReference::RpmShown, this, [this](const QString& rpm) {
        if (driver_.DigitalSpeed().Held()) {
            speedField_->setText(rpm);
            PublishSpeed();
        }
    });
    connect(&reference, &DigitalSpeedReference::Entered, this, &TFMainDev::SpeedEntered);
}

bool TFMainDev::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::LayoutRequest) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->resize(sub->size().expandedTo(sub->sizeHint()));
    }
    return handled;
}

TFMainDev::~TFMainDev() {
    speedField_->removeEventFilter(this);
    // Fields may still lose focus while they are destroyed; the page is gone by then.
    for (TPNumEdit* field : findChildren<TPNumEdit*>()) {
        field->SetExitHandler({});
        field->SetKeyHandler({});
        field->SetChangeHandler({});
    }
}

TPNumEdit* TFMainDev::NewField(const QString& name, QWidget* parent) {
    auto* field = new TPNumEdit(parent);
    field->setObjectName(name);
    field->setMaximumWidth(90);
    field->SetKeyHandler([this](TPNumEdit& edited, QKeyEvent& event) {
        if (event.key() != Qt::Key_Return && event.key() != Qt::Key_Enter)
            return false;
        FieldLeft(edited);
        return true; // Enter is swallowed
    });
    field->SetExitHandler([this](TPNumEdit& edited) { FieldLeft(edited); });
    return field;
}

QPushButton* TFMainDev::NewPageButton(const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, mainGroup_);
    button->setObjectName(name);
    button->setAutoDefault(false);
    const QString page = PageOfButton(name);
    EnablePageButton(button, true);
    connect(button, &QPushButton::clicked, this, [this, page, caption] {
        if (links_.OpenPage)
            links_.OpenPage(page, caption);
    });
    return button;
}

void TFMainDev::EnablePageButton(QPushButton* button, bool enabled) {
    const QString page = PageOfButton(button->objectName());
    button->setEnabled(enabled && (!links_.HasPage || links_.HasPage(page)));
}

void TFMainDev::BuildMainGroup() {
    mainGroup_ = new QGroupBox(QStringLiteral(" Drive "), this);
    mainGroup_->setObjectName(QStringLiteral("PMain"));
    auto* grid = new QGridLayout(mainGroup_);
    int row = 0;
    cMode_ = NewList(QStringLiteral("CMode"), mainGroup_);
    grid->addWidget(NewLabel(QStringLiteral("LMode"), QStringLiteral("Mode"), mainGroup_), row, 0);
    grid->addWidget(cMode_, row++, 1, 1, 3);

    lSpd_[0] = NewLabel(QStringLiteral("LSpd1"), QStringLiteral("Digital"), mainGroup_);
    lSpd_[1] = NewLabel(QStringLiteral("LSpd2"), QStringLiteral("Speed"), mainGroup_);
    speedField_ = NewField(QStringLiteral("ESpd"), mainGroup_);
    lSpd_[2] = NewLabel(QStringLiteral("LSpd3"), QStringLiteral("rpm"), mainGroup_);
    grid->addWidget(lSpd_[0], row, 0);
    grid->addWidget(lSpd_[1], row, 1);
    grid->addWidget(speedField_, row, 2);
    grid->addWidget(lSpd_[2], row++, 3);

    lSq_[0] = NewLabel(QStringLiteral("LSq1"), QStringLiteral("Square"), mainGroup_);
    lSq_[1] = NewLabel(QStringLiteral("LSq2"), QStringLiteral("Wave"), mainGroup_);
    eSq_ = NewField(QStringLiteral("ESq"), mainGroup_);
    lSq_[2] = NewLabel(QStringLiteral("LSq3"), QStringLiteral("ms"), mainGroup_);
    grid->addWidget(lSq_[0], row, 0);
    grid->addWidget(lSq_[1], row, 1);
    grid->addWidget(eSq_, row, 2);
    grid->addWidget(lSq_[2], row++, 3);

    cHwControl_ = new QCheckBox(QStringLiteral("Hardware Control "), mainGroup_);
    cHwControl_->setObjectName(QStringLiteral("CHwControl"));
    grid->addWidget(cHwControl_, row++, 0, 1, 4);

    eTorqSat_ = NewField(QStringLiteral("ETorqSat"), mainGroup_);
    cTorqSat_ = NewList(QStringLiteral("CTorqSat"), mainGroup_);
    cTorqSat_->addItems({QStringLiteral("Off"), QStringLiteral("On")});
    grid->addWidget(NewLabel(QStringLiteral("LTorqSat"), QStringLiteral("Torque Sat."), mainGroup_),
                    row, 0);
    grid->addWidget(cTorqSat_, row, 1);
    grid->addWidget(eTorqSat_, row++, 2);

    lMainV_ = NewLabel(QStringLiteral("LMainV"), QStringLiteral("Main Voltage"), mainGroup_);
    cMainV_ = NewList(QStringLiteral("CMainV"), mainGroup_);
    grid->addWidget(lMainV_, row, 0);
    grid->addWidget(cMainV_, row++, 1, 1, 2);

    pResolver_ = NewPanel(QStringLiteral("PResolver"), mainGroup_);
    pModel_ = NewPanel(QStringLiteral("PModel"), mainGroup_);
    grid->addWidget(NewLabel(QStringLiteral("LFeed"), QStringLiteral("Feedback"), mainGroup_), row,
                    0);
    grid->addWidget(pResolver_, row, 1);
    grid->addWidget(pModel_, row++, 2);

    lPos1_ = NewLabel(QStringLiteral("LPos1"), QStringLiteral("Position 1"), mainGroup_);
    ePos1_ = NewField(QStringLiteral("EPos1"), mainGroup_);
    lPos2_ = NewLabel(QStringLiteral("LPos2"), QStringLiteral("Position 2"), mainGroup_);
    ePos2_ = NewField(QStringLiteral("EPos2"), mainGroup_);
    grid->addWidget(lPos1_, row, 0, 1, 2);
    grid->addWidget(ePos1_, row++, 2);
    grid->addWidget(lPos2_, row, 0, 1, 2);
    grid->addWidget(ePos2_, row++, 2);

    bSpeed_ = NewPageButton(QStringLiteral("BSpeed"), QStringLiteral("Speed"));
    bCurrent_ = NewPageButton(QStringLiteral("BCurrent"), QStringLiteral("Current"));
    bMotor_ = NewPageButton(QStringLiteral("BMotor"), QStringLiteral("Motor"));
    bDigital_ = NewPageButton(QStringLiteral("BDigital"), QStringLiteral("Digital I/O"));
    bAnalog_ = NewPageButton(QStringLiteral("BAnalog"), QStringLiteral("Analog I/O"));
    bEncOut_ = NewPageButton(QStringLiteral("BEncOut"), QStringLiteral("Encoder Out"));
    bPosition_ = NewPageButton(QStringLiteral("BPosition"), QStringLiteral("Position"));
    auto* buttons = new QGridLayout;
    int i = 0;
    for (QPushButton* button :
         {bSpeed_, bCurrent_, bMotor_, bPosition_, bDigital_, bAnalog_, bEncOut_}) {
        buttons->addWidget(button, i / 4, i % 4);
        ++i;
    }
    grid->addLayout(buttons, row++, 0, 1, 4);

    connect(cMode_, &QComboBox::activated, this, &TFMainDev::ModeChosen);
    connect(cMainV_, &QComboBox::activated, this, &TFMainDev::MainVoltageChosen);
    connect(cTorqSat_, &QComboBox::activated, this, &TFMainDev::TorqueSatChosen);
    connect(cHwControl_, &QCheckBox::clicked, this, &TFMainDev::HwControlClicked);
}

void TFMainDev::BuildHomingGroup() {
    homingGroup_ = new QGroupBox(QStringLiteral(" Homing "), this);
    homingGroup_->setObjectName(QStringLiteral("GHoming"));
    auto* grid = new QGridLayout(homingGroup_);
    cSearch_ = NewList(QStringLiteral("CSearch"), homingGroup_);
    homingSensors_ = NewList(QStringLiteral("CNona"), homingGroup_);
    cZero_ = new QCheckBox(QStringLiteral("Zero Encoder"), homingGroup_);
    cZero_->setObjectName(QStringLiteral("CZero"));
    cZero_->setAttribute(Qt::WA_TransparentForMouseEvents); // follows the method
    cZero_->setFocusPolicy(Qt::NoFocus);
    lSearch_ =
        NewLabel(QStringLiteral("LSearch"), QStringLiteral("Max Search Angle"), homingGroup_);
    eSearch_ = NewField(QStringLiteral("ESearch"), homingGroup_);
    eAcc_ = NewField(QStringLiteral("EAcc"), homingGroup_);
    eSpeed_ = NewField(QStringLiteral("ESpeed"), homingGroup_);
    eZero_ = NewField(QStringLiteral("EZero"), homingGroup_);
    eOffSet_ = NewField(QStringLiteral("EOffSet"), homingGroup_);
    int row = 0;
    grid->addWidget(NewLabel(QStringLiteral("LMethod"), QStringLiteral("Method"), homingGroup_),
                    row, 0);
    grid->addWidget(cSearch_, row++, 1);
    grid->addWidget(NewLabel(QStringLiteral("LSensor"), QStringLiteral("Sensor"), homingGroup_),
                    row, 0);
    grid->addWidget(homingSensors_, row++, 1);
    grid->addWidget(cZero_, row++, 0, 1, 2);
    grid->addWidget(lSearch_, row, 0);
    grid->addWidget(eSearch_, row++, 1);
    grid->addWidget(NewLabel(QStringLiteral("LAcc"), QStringLiteral("Acceleration"), homingGroup_),
                    row, 0);
    grid->addWidget(eAcc_, row++, 1);
    grid->addWidget(NewLabel(QStringLiteral("LSpeed"), QStringLiteral("Speed"), homingGroup_), row,
                    0);
    grid->addWidget(eSpeed_, row++, 1);
    grid->addWidget(NewLabel(QStringLiteral("LZero"), QStringLiteral("Zero Speed"), homingGroup_),
                    row, 0);
    grid->addWidget(eZero_, row++, 1);
    grid->addWidget(NewLabel(QStringLiteral("LOffSet"), QStringLiteral("Offset"), homingGroup_),
                    row, 0);
    grid->addWidget(eOffSet_, row++, 1);
    grid->setRowStretch(row, 1);
    connect(cSearch_, &QComboBox::activated, this, [this] { HomingChosen(); });
    connect(homingSensors_, &QComboBox::activated, this, [this] { HomingChosen(); });
}

void TFMainDev::BuildPowerGroup() {
    powerGroup_ = new QGroupBox(QStringLiteral(" Tarn Power "), this);
    powerGroup_->setObjectName(QStringLiteral("PPower"));
    auto* grid = new QGridLayout(powerGroup_);
    powerVoltage_ = NewPanel(QStringLiteral("Pvlt"), powerGroup_);
    cRgn_ = NewList(QStringLiteral("Crgn"), powerGroup_);
    grid->addWidget(NewLabel(QStringLiteral("LVlt"), QStringLiteral("Main Voltage"), powerGroup_),
                    0, 0);
    grid->addWidget(powerVoltage_, 0, 1);
    grid->addWidget(NewLabel(QStringLiteral("LRgn"), QStringLiteral("Regen Resistor"), powerGroup_),
                    1, 0);
    grid->addWidget(cRgn_, 1, 1);
    connect(cRgn_, &QComboBox::activated, this, &TFMainDev::RegenChosen);
}

const ParamEntry* TFMainDev::Entry(std::uint16_t address) const {
    return driver_.ActiveTable().FindByAddress(address);
}

QSize TFMainDev::PageSize() const {
    if (kind_ == DeviceKind::Power)
        return powerGroup_->sizeHint() + QSize(40, 60);
    return {518, 356};
}

bool TFMainDev::eventFilter(QObject* watched, QEvent* event) {
    // While another window shows its speeds in the disabled speed field, the text is not the
    // user's: enabled again, the field shows the register.
    if (watched == speedField_ && event->type() == QEvent::EnabledChange &&
        speedField_->isEnabled() && speedField_->isVisibleTo(this) && !closing_)
        ShowSpeedField();
    return QWidget::eventFilter(watched, event);
}

void TFMainDev::closeEvent(QCloseEvent* event) {
    closing_ = true;
    QWidget::closeEvent(event);
    if (!event->isAccepted())
        closing_ = false;
}

// --- setup ----------------------------------------------------------------------------------

void TFMainDev::Setup() {
    kind_ = driver_.CurrentKind();
    a_ = MainDevAddressTable(kind_);
    edits_.Clear();
    setWindowTitle(MainDevCaption(kind_));
    const bool power = kind_ == DeviceKind::Power;
    mainGroup_->setVisible(!power);
    homingGroup_->setVisible(!power);
    powerGroup_->setVisible(power);
    if (power)
        SetupPower();
    else
        SetupDrive();
    // The corrections of unlisted codes go out at once.
    Commit(false);
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->setGeometry(QRect(QPoint(10, 10), PageSize().expandedTo(frame->sizeHint())));
    PublishSpeed();
}

void TFMainDev::SetupDrive() {
    eTorqSat_->SetTag(a_.TorqueSatLevel);
    eSearch_->SetTag(a_.SearchAngle);
    eAcc_->SetTag(a_.HomingAcc);
    eSpeed_->SetTag(a_.HomingSpeed);
    eZero_->SetTag(a_.ZeroSpeed);
    eOffSet_->SetTag(PackWideTag(a_.OffsetLow, a_.OffsetHigh));
    speedField_->SetTag(a_.DigitalSpeed);
    eSq_->SetTag(a_.SquareWave);
    const std::array<int, 2> positions = PositionTags(kind_);
    ePos1_->SetTag(positions[0]);
    ePos2_->SetTag(positions[1]);
    fields_.Bind(); // limits, and the numbers from Value: the page has no edits yet

    cMode_->clear();
    cMode_->addItems(ModeItems(kind_));
    const int modeIndex = ModeIndex(kind_, edits_.Shown(a_.Mode));
    cMode_->setCurrentIndex(modeIndex);

    const bool std = kind_ == DeviceKind::Std;
    ShowAll({lMainV_, cMainV_}, std);
    cMainV_->clear();
    if (std) {
        const ParamTable& table = driver_.ActiveTable();
        voltages_ = MainVoltageChoices(GetModelFamily(kind_, table), GetModelSeries(table));
        cMainV_->addItems(voltages_.Items);
        if (Entry(MainVoltageRegister) != nullptr) {
            if (voltages_.IndexOf(edits_.Shown(MainVoltageRegister)) < 0)
                edits_.SetWord(MainVoltageRegister, static_cast<std::int16_t>(voltages_.Fallback));
            cMainV_->setCurrentIndex(voltages_.IndexOf(edits_.Shown(MainVoltageRegister)));
        }
    }
    // The model display keeps its text for a Drive unit but is not shown by any kind.
    pModel_->setVisible(false);
    if (kind_ == DeviceKind::Drive)
        pModel_->setText(DriveModelText(edits_.Shown(DriveModelRegister)));

    const auto saturation = static_cast<std::uint16_t>(edits_.Shown(a_.TorqueSatSwitch));
    cTorqSat_->setCurrentIndex((saturation & TorqueSatBit) != 0 ? 1 : 0);

    LoadHoming();
    ApplyMode(modeIndex, true);
    RefreshFeedback();
}

void TFMainDev::SetupPower() {
    const int code = edits_.Shown(PowerMainVoltageRegister);
    powerVoltage_->setText(PowerVoltageText(code));
    cRgn_->clear();
    cRgn_->addItems(RegenItems(code));
    if (Entry(PowerRegenRegister) == nullptr || cRgn_->count() == 0)
        return;
    if (RegenIndex(code, edits_.Shown(PowerRegenRegister)) < 0)
        edits_.SetWord(PowerRegenRegister, static_cast<std::int16_t>(RegenCode(code, 0)));
    cRgn_->setCurrentIndex(RegenIndex(code, edits_.Shown(PowerRegenRegister)));
}

void TFMainDev::RefreshRegen() {
    if (kind_ != DeviceKind::Power || Entry(PowerRegenRegister) == nullptr)
        return;
    edits_.Drop(PowerRegenRegister);
    cRgn_->setCurrentIndex(
        RegenIndex(edits_.Shown(PowerMainVoltageRegister), edits_.Shown(PowerRegenRegister)));
}

void TFMainDev::ApplyMode(int mode, bool setButtons) {
    const ModeLayout layout = LayoutForMode(kind_, mode);
    ShowAll({lSpd_[0], lSpd_[1], lSpd_[2], speedField_}, layout.DigitalSpeed);
    if (layout.DigitalSpeed)
        ShowSpeedField();
    ShowAll({lSq_[0], lSq_[1], lSq_[2], eSq_}, layout.SquareWave);
    if (layout.SquareWave)
        ShowField(eSq_);
    cHwControl_->setVisible(layout.HwControl);
    if (layout.HwControl && Entry(a_.HwControl) != nullptr) {
        edits_.NormalizeHwControlBits(a_.HwControl);
        cHwControl_->setChecked(
            HwControlChecked(static_cast<std::uint16_t>(edits_.Shown(a_.HwControl))));
    }
    ShowAll({lSearch_, eSearch_}, layout.SearchAngle);
    if (setButtons) {
        EnablePageButton(bSpeed_, layout.SpeedButton);
        EnablePageButton(bPosition_, layout.PositionButton);
    }
    const std::array<QString, 2> captions = PositionCaptions(mode);
    lPos1_->setText(captions[0]);
    lPos2_->setText(captions[1]);
    PublishSpeed();
}

void TFMainDev::ShowSpeedField() {
    const int limit = edits_.SpeedLimit(a_.MaxSpeed);
    speedField_->WrMin(-limit);
    speedField_->WrMax(limit);
    speedField_->SetIsNegative(true);
    speedField_->SetChangeHandler([](TPNumEdit& edited) { edited.SetMarked(true); });
    speedField_->WrValore(edits_.ShownSpeed(a_.DigitalSpeed, a_.MaxSpeed));
    Recolour(speedField_);
    PublishSpeed();
}

void TFMainDev::PublishSpeed() {
    DigitalSpeedReference::View view;
    view.Shown = speedField_->isVisibleTo(this);
    view.Register = static_cast<std::uint16_t>(speedField_->Tag());
    view.Min = speedField_->RdMin();
    view.Max = speedField_->RdMax();
    view.Rpm = speedField_->RdValore();
    driver_.DigitalSpeed().Publish(*this, view);
}

void TFMainDev::TableChanged(const std::vector<std::uint16_t>& registers) {
    const auto has = [&registers](int address) {
        return std::find(registers.begin(), registers.end(), address) != registers.end();
    };
    if (kind_ != DeviceKind::Power && has(FeedbackRegister(kind_)))
        RefreshFeedback();
    if (kind_ == DeviceKind::Power && has(PowerRegenRegister))
        RefreshRegen();
    if (kind_ != DeviceKind::Power && has(SpeedAddressTable(kind_).Speed))
        SpeedLimitChanged();
}

void TFMainDev::SpeedLimitChanged() {
    // A hidden speed field shows no speed the user chose: its exit would write a stale one.
    if (!speedField_->isVisibleTo(this))
        return;
    const ParamEntry* maximum = Entry(static_cast<std::uint16_t>(SpeedAddressTable(kind_).Speed));
    const int limit = maximum ? std::abs(static_cast<int>(maximum->Value)) : 0;
    speedField_->WrMin(-limit);
    speedField_->WrMax(limit);
    speedField_->WrValore(speedField_->RdValore());
    SpeedFieldExit();
}

void TFMainDev::SpeedEntered(int rpm) {
    // Only a field the page shows writes.
    if (!speedField_->isVisibleTo(this) || !driver_.Online())
        return;
    speedField_->WrValore(rpm);
    SpeedFieldExit();
}

void TFMainDev::LoadHoming() {
    const HomingDescriptors& homing = driver_.Config().ActiveHoming();
    cSearch_->clear();
    cSearch_->addItems(homing.MethodNames);
    homingSensors_->clear();
    homingSensors_->addItems(homing.SensorNames);
    const bool usable = !homing.Methods.empty() && Entry(a_.HomingMethod) != nullptr;
    homingGroup_->setEnabled(usable && online_);
    if (!usable)
        return;
    const StoredHoming stored =
        HomingForCode(homing, static_cast<std::uint16_t>(edits_.Shown(a_.HomingMethod)));
    const HomingMethod* chosen = stored.Method;
    if (stored.Replaced)
        edits_.SetWord(a_.HomingMethod, static_cast<std::int16_t>(chosen->Code));
    cSearch_->setCurrentIndex(chosen->NameIndex);
    homingSensors_->setEnabled(chosen->SensorIndex != 0);
    homingSensors_->setCurrentIndex(chosen->SensorIndex - 1);
    cZero_->setEnabled(chosen->UsesZeroEncoder);
    cZero_->setChecked(chosen->UsesZeroEncoder);
    ShowHomingField(eSearch_, chosen->UsesSearchAngle);
    ShowHomingField(eAcc_, chosen->UsesAcceleration);
    ShowHomingField(eSpeed_, chosen->UsesSpeed);
    ShowHomingField(eZero_, chosen->UsesZeroSpeed);
    ShowHomingField(eOffSet_, chosen->UsesOffset);
}

void TFMainDev::ShowHomingField(TPNumEdit* field, bool enabled) {
    field->setEnabled(enabled);
    if (enabled) {
        ShowField(field);
    } else {
        field->ShowEmpty();
        field->SetMarked(false);
    }
}

void TFMainDev::RefreshFeedback() {
    if (kind_ == DeviceKind::Power)
        return;
    const int code = edits_.Shown(FeedbackRegister(kind_));
    pResolver_->setText(FeedbackText(code));
    EnablePageButton(bEncOut_,
                     EncoderOutEnabled(kind_, GetModelFamily(kind_, driver_.ActiveTable()), code));
}

void TFMainDev::SetOnline(bool online) {
    // Set first: a field that loses the focus as its group is disabled only keeps its edit.
    online_ = online;
    mainGroup_->setEnabled(online);
    powerGroup_->setEnabled(online);
    homingGroup_->setEnabled(online && cSearch_->count() > 0 &&
                             !driver_.Config().ActiveHoming().Methods.empty());
    fileMenuEnabled_ = online;
    if (links_.SetSaveEnabled)
        links_.SetSaveEnabled(online);
}

// --- fields ---------------------------------------------------------------------------------

std::vector<std::uint16_t> TFMainDev::FieldRegisters(const TPNumEdit* field) const {
    if (fields_.IsWide(field))
        return {WideTagLowRegister(field->Tag()), WideTagHighRegister(field->Tag())};
    return {static_cast<std::uint16_t>(field->Tag())};
}

void TFMainDev::ShowField(TPNumEdit* field) {
    const std::vector<std::uint16_t> registers = FieldRegisters(field);
    for (const std::uint16_t address : registers)
        if (Entry(address) == nullptr)
            return;
    if (field == speedField_) {
        ShowSpeedField();
        return;
    }
    field->ShowNumber(registers.size() == 2
                          ? JoinWords(edits_.Shown(registers[1]), edits_.Shown(registers[0]))
                          : edits_.Shown(registers[0]));
    Recolour(field);
}

// Red while the user's edit is pending or a register differs from the drive.
void TFMainDev::Recolour(TPNumEdit* field) {
    bool marked = field->Edited();
    for (const std::uint16_t address : FieldRegisters(field)) {
        const ParamEntry* entry = Entry(address);
        marked = marked || edits_.Has(address) ||
                 (entry != nullptr && entry->Value != entry->DriveValue);
    }
    field->SetMarked(marked);
}

void TFMainDev::RecolourAll() {
    for (TPNumEdit* field : fields_.Fields())
        if (field->isEnabled())
            Recolour(field);
    Recolour(speedField_);
}

// Enter or leaving a field: a number the user typed is taken when it changes what the page
// shows, and written.
void TFMainDev::FieldLeft(TPNumEdit& field) {
    if (closing_ || !field.Edited()) {
        Recolour(&field);
        return;
    }
    if (&field == speedField_) {
        if (TakeSpeed() && online_)
            Commit(true);
        else
            Recolour(speedField_);
        return;
    }
    const std::vector<std::uint16_t> registers = FieldRegisters(&field);
    const bool changed =
        registers.size() == 2
            ? edits_.SetPair(registers[0], registers[1], field.RdValore())
            // The field's limits come from the register: the number fits.
            : edits_.SetWord(registers[0], static_cast<std::int16_t>(field.RdValore()));
    field.ClearEdited();
    if (!changed) {
        ShowField(&field); // an equal number writes nothing
        return;
    }
    if (online_)
        Commit(true);
    else
        Recolour(&field);
}

void TFMainDev::SpeedFieldExit() {
    if (closing_)
        return;
    if (TakeSpeed())
        Commit(true);
    else
        Recolour(speedField_);
}

bool TFMainDev::TakeSpeed() {
    const bool changed = edits_.TakeSpeed(a_.DigitalSpeed, a_.MaxSpeed, speedField_->RdValore());
    speedField_->ClearEdited();
    return changed;
}

// --- choices --------------------------------------------------------------------------------

void TFMainDev::ModeChosen(int index) {
    if (Entry(a_.Mode) == nullptr || index < 0)
        return;
    bool changed = edits_.SetWord(a_.Mode, static_cast<std::int16_t>(index));
    // Only the Std page follows the mode with its page buttons.
    const bool hadHwControl = edits_.Has(a_.HwControl);
    ApplyMode(index, kind_ == DeviceKind::Std);
    changed = changed || (!hadHwControl && edits_.Has(a_.HwControl));
    if (changed)
        Commit(true);
}

void TFMainDev::MainVoltageChosen(int index) {
    if (index < 0 || index >= static_cast<int>(voltages_.Codes.size()))
        return;
    const int code = voltages_.Codes[static_cast<std::size_t>(index)];
    if (edits_.SetWord(MainVoltageRegister, static_cast<std::int16_t>(code)))
        Commit(true);
}

void TFMainDev::TorqueSatChosen(int index) {
    if (edits_.SetBits(a_.TorqueSatSwitch, TorqueSatBit, index == 1))
        Commit(true);
}

void TFMainDev::HwControlClicked(bool checked) {
    if (edits_.SetHwControl(a_.HwControl, checked))
        Commit(true);
}

void TFMainDev::HomingChosen() {
    const HomingDescriptors& homing = driver_.Config().ActiveHoming();
    if (Entry(a_.HomingMethod) == nullptr)
        return;
    const int name = cSearch_->currentIndex();
    const int sensor = homingSensors_->isEnabled() ? homingSensors_->currentIndex() + 1 : 0;
    const HomingMethod* chosen = ChosenHoming(homing, name, sensor);
    const bool changed = chosen != nullptr &&
                         edits_.SetWord(a_.HomingMethod, static_cast<std::int16_t>(chosen->Code));
    LoadHoming(); // a method without a descriptor shows the stored one again
    if (changed)
        Commit(true);
}

void TFMainDev::RegenChosen(int index) {
    const int code = RegenCode(edits_.Shown(PowerMainVoltageRegister), index);
    if (code >= 0 && edits_.SetWord(PowerRegenRegister, static_cast<std::int16_t>(code)))
        Commit(true);
}

// --- writing --------------------------------------------------------------------------------

bool TFMainDev::Commit(bool tell) {
    if (edits_.Empty()) {
        RecolourAll();
        return true;
    }
    if (!driver_.Online()) {
        if (tell)
            ShowInfo(QStringLiteral("Off Line: nothing was written."));
        RecolourAll();
        return false; // the edits stay on the page
    }
    WriteGate::Scope scope(driver_.Gate(),
                           driver_.Ask(MainDevCaption(kind_) + QStringLiteral(" page")));
    // The exchanges process window events: the page may go meanwhile.
    const QPointer<TFMainDev> self(this);
    EditWriteResult result = WriteEdits(driver_, edits_.Tracker());
    if (!self)
        return false;
    edits_.Keep(std::move(result.Left));
    const auto written = [&result](std::uint16_t address) {
        return std::find(result.Written.begin(), result.Written.end(), address) !=
               result.Written.end();
    };
    // The fields whose registers reached the drive show them as the drive holds them now.
    for (TPNumEdit* field : fields_.Fields()) {
        if (!field->isEnabled() || field->EditPending())
            continue;
        const std::vector<std::uint16_t> registers = FieldRegisters(field);
        if (std::any_of(registers.begin(), registers.end(), written))
            ShowField(field);
    }
    if (written(a_.DigitalSpeed) && !speedField_->EditPending())
        ShowSpeedField();
    RecolourAll();
    driver_.Notice().Applied(result.Written);
    return edits_.Empty();
}

} // namespace kelm
