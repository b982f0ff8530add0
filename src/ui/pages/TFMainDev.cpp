#include "ui/pages/TFMainDev.h"

#include "core/config/ConfigurationSet.h"
#include "core/drive/DriveIdentity.h"
#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "ui/pages/RegenResistor.h"
#include "ui/pages/SpeedScaling.h"
#include "ui/widgets/FieldBinding.h"
#include "ui/widgets/TPNumEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

namespace kelm {

namespace {

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
      a_(MainDevAddressTable(DeviceKind::Std)), fields_(driver.ActiveTable()) {
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
        WriteField(edited);
        return true; // Enter is swallowed
    });
    field->SetExitHandler([this](TPNumEdit& edited) { WriteField(edited); });
    return field;
}

QPushButton* TFMainDev::NewPageButton(const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, mainGroup_);
    button->setObjectName(name);
    button->setAutoDefault(false);
    const QString page = QStringLiteral("TF") + name.mid(1);
    button->setProperty("page", page);
    EnablePageButton(button, true);
    connect(button, &QPushButton::clicked, this, [this, page, caption] {
        if (links_.OpenPage)
            links_.OpenPage(page, caption);
    });
    return button;
}

void TFMainDev::EnablePageButton(QPushButton* button, bool enabled) {
    const QString page = button->property("page").toString();
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
    eSpd_ = NewField(QStringLiteral("ESpd"), mainGroup_);
    lSpd_[2] = NewLabel(QStringLiteral("LSpd3"), QStringLiteral("rpm"), mainGroup_);
    grid->addWidget(lSpd_[0], row, 0);
    grid->addWidget(lSpd_[1], row, 1);
    grid->addWidget(eSpd_, row, 2);
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
    cNona_ = NewList(QStringLiteral("CNona"), homingGroup_);
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
    grid->addWidget(cNona_, row++, 1);
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
    connect(cNona_, &QComboBox::activated, this, [this] { HomingChosen(); });
}

void TFMainDev::BuildPowerGroup() {
    powerGroup_ = new QGroupBox(QStringLiteral(" Tarn Power "), this);
    powerGroup_->setObjectName(QStringLiteral("PPower"));
    auto* grid = new QGridLayout(powerGroup_);
    pVlt_ = NewPanel(QStringLiteral("Pvlt"), powerGroup_);
    cRgn_ = NewList(QStringLiteral("Crgn"), powerGroup_);
    grid->addWidget(NewLabel(QStringLiteral("LVlt"), QStringLiteral("Main Voltage"), powerGroup_),
                    0, 0);
    grid->addWidget(pVlt_, 0, 1);
    grid->addWidget(NewLabel(QStringLiteral("LRgn"), QStringLiteral("Regen Resistor"), powerGroup_),
                    1, 0);
    grid->addWidget(cRgn_, 1, 1);
    connect(cRgn_, &QComboBox::activated, this, &TFMainDev::RegenChosen);
}

ParamEntry* TFMainDev::Entry(std::uint16_t address) const {
    return driver_.ActiveTable().FindByAddress(address);
}

QSize TFMainDev::PageSize() const {
    if (kind_ == DeviceKind::Power)
        return powerGroup_->sizeHint() + QSize(40, 60);
    return {518, 356};
}

// --- setup ----------------------------------------------------------------------------------

void TFMainDev::Setup() {
    kind_ = driver_.CurrentKind();
    a_ = MainDevAddressTable(kind_);
    setWindowTitle(MainDevCaption(kind_));
    const bool power = kind_ == DeviceKind::Power;
    mainGroup_->setVisible(!power);
    homingGroup_->setVisible(!power);
    powerGroup_->setVisible(power);
    if (power) {
        SetupPower();
        WriteChanged();
    } else if (SetupDrive()) {
        WriteChanged();
    }
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->setGeometry(QRect(QPoint(10, 10), PageSize().expandedTo(frame->sizeHint())));
}

bool TFMainDev::SetupDrive() {
    bool replaced = false;
    eTorqSat_->SetTag(a_.TorqueSatLevel);
    eSearch_->SetTag(a_.SearchAngle);
    eAcc_->SetTag(a_.HomingAcc);
    eSpeed_->SetTag(a_.HomingSpeed);
    eZero_->SetTag(a_.ZeroSpeed);
    eOffSet_->SetTag(PackWideTag(a_.OffsetLow, a_.OffsetHigh));
    eSpd_->SetTag(a_.DigitalSpeed);
    eSq_->SetTag(a_.SquareWave);
    const std::array<int, 2> positions = PositionTags(kind_);
    ePos1_->SetTag(positions[0]);
    ePos2_->SetTag(positions[1]);
    fields_.Bind();

    cMode_->clear();
    cMode_->addItems(ModeItems(kind_));
    const ParamEntry* mode = Entry(a_.Mode);
    const int modeIndex = ModeIndex(kind_, mode ? mode->Value : 0);
    cMode_->setCurrentIndex(modeIndex);

    const bool std = kind_ == DeviceKind::Std;
    ShowAll({lMainV_, cMainV_}, std);
    cMainV_->clear();
    if (std) {
        const ParamTable& table = driver_.ActiveTable();
        voltages_ = MainVoltageChoices(GetModelFamily(kind_, table), GetModelSeries(table));
        cMainV_->addItems(voltages_.Items);
        if (ParamEntry* voltage = Entry(MainVoltageRegister)) {
            if (voltages_.IndexOf(voltage->Value) < 0) {
                voltage->Value = static_cast<std::int16_t>(voltages_.Fallback);
                replaced = true;
            }
            cMainV_->setCurrentIndex(voltages_.IndexOf(voltage->Value));
        }
    }
    // The model display keeps its text for a Drive unit but is not shown by any kind.
    pModel_->setVisible(false);
    if (const ParamEntry* model = Entry(DriveModelRegister); kind_ == DeviceKind::Drive)
        pModel_->setText(DriveModelText(model ? model->Value : 0));

    const ParamEntry* saturation = Entry(a_.TorqueSatSwitch);
    cTorqSat_->setCurrentIndex(saturation && (saturation->Value & TorqueSatBit) ? 1 : 0);

    replaced = LoadHoming() || replaced;
    replaced = ApplyMode(modeIndex, true) || replaced;
    RefreshFeedback();
    return replaced;
}

bool TFMainDev::SetupPower() {
    const ParamEntry* voltage = Entry(PowerMainVoltageRegister);
    const int code = voltage ? voltage->Value : 0;
    pVlt_->setText(PowerVoltageText(code));
    cRgn_->clear();
    cRgn_->addItems(RegenItems(code));
    ParamEntry* regen = Entry(PowerRegenRegister);
    if (regen == nullptr || cRgn_->count() == 0)
        return false;
    if (RegenIndex(code, regen->Value) < 0) {
        regen->Value = static_cast<std::int16_t>(RegenCode(code, 0));
        cRgn_->setCurrentIndex(0);
        return true;
    }
    cRgn_->setCurrentIndex(RegenIndex(code, regen->Value));
    return false;
}

void TFMainDev::RefreshRegen() {
    if (kind_ != DeviceKind::Power)
        return;
    const ParamEntry* voltage = Entry(PowerMainVoltageRegister);
    const ParamEntry* regen = Entry(PowerRegenRegister);
    if (voltage != nullptr && regen != nullptr)
        cRgn_->setCurrentIndex(RegenIndex(voltage->Value, regen->Value));
}

bool TFMainDev::ApplyMode(int mode, bool setButtons) {
    bool replaced = false;
    const ModeLayout layout = LayoutForMode(kind_, mode);
    ShowAll({lSpd_[0], lSpd_[1], lSpd_[2], eSpd_}, layout.DigitalSpeed);
    if (layout.DigitalSpeed)
        ShowSpeedField();
    ShowAll({lSq_[0], lSq_[1], lSq_[2], eSq_}, layout.SquareWave);
    if (layout.SquareWave) {
        fields_.Reload(eSq_);
        fields_.Recolour(eSq_);
    }
    cHwControl_->setVisible(layout.HwControl);
    if (layout.HwControl) {
        if (ParamEntry* control = Entry(a_.HwControl)) {
            const auto value = static_cast<std::uint16_t>(control->Value);
            const std::uint16_t normal = NormalizeHwControl(value);
            if (normal != value) {
                control->Value = static_cast<std::int16_t>(normal);
                replaced = true;
            }
            cHwControl_->setChecked(HwControlChecked(normal));
        }
    }
    ShowAll({lSearch_, eSearch_}, layout.SearchAngle);
    if (setButtons) {
        EnablePageButton(bSpeed_, layout.SpeedButton);
        EnablePageButton(bPosition_, layout.PositionButton);
    }
    const std::array<QString, 2> captions = PositionCaptions(mode);
    lPos1_->setText(captions[0]);
    lPos2_->setText(captions[1]);
    return replaced;
}

void TFMainDev::ShowSpeedField() {
    const ParamEntry* maximum = Entry(a_.MaxSpeed);
    const ParamEntry* speed = Entry(a_.DigitalSpeed);
    const int limit = maximum ? std::abs(static_cast<int>(maximum->Value)) : 0;
    eSpd_->WrMin(-limit);
    eSpd_->WrMax(limit);
    eSpd_->SetIsNegative(true);
    eSpd_->SetChangeHandler([](TPNumEdit& edited) { edited.SetMarked(true); });
    eSpd_->WrValore(RawToRpm(speed ? speed->Value : 0, limit));
    eSpd_->SetMarked(speed != nullptr && speed->Value != speed->DriveValue);
}

bool TFMainDev::LoadHoming() {
    const HomingDescriptors& homing = driver_.Config().ActiveHoming();
    cSearch_->clear();
    cSearch_->addItems(homing.MethodNames);
    cNona_->clear();
    cNona_->addItems(homing.SensorNames);
    ParamEntry* method = Entry(a_.HomingMethod);
    const bool usable = !homing.Methods.empty() && method != nullptr;
    homingGroup_->setEnabled(usable && online_);
    if (!usable)
        return false;
    bool replaced = false;
    const HomingMethod* chosen = homing.FindByCode(static_cast<std::uint16_t>(method->Value));
    if (chosen == nullptr) {
        chosen = &homing.Methods.front();
        method->Value = static_cast<std::int16_t>(chosen->Code);
        replaced = true;
    }
    cSearch_->setCurrentIndex(chosen->NameIndex);
    cNona_->setEnabled(chosen->SensorIndex != 0);
    cNona_->setCurrentIndex(chosen->SensorIndex - 1);
    cZero_->setEnabled(chosen->UsesZeroEncoder);
    cZero_->setChecked(chosen->UsesZeroEncoder);
    ShowHomingField(eSearch_, chosen->UsesSearchAngle);
    ShowHomingField(eAcc_, chosen->UsesAcceleration);
    ShowHomingField(eSpeed_, chosen->UsesSpeed);
    ShowHomingField(eZero_, chosen->UsesZeroSpeed);
    ShowHomingField(eOffSet_, chosen->UsesOffset);
    return replaced;
}

void TFMainDev::ShowHomingField(TPNumEdit* field, bool enabled) {
    field->setEnabled(enabled);
    if (enabled) {
        fields_.Reload(field);
        fields_.Recolour(field);
    } else {
        field->ShowEmpty();
        field->SetMarked(false);
    }
}

void TFMainDev::RefreshFeedback() {
    if (kind_ == DeviceKind::Power)
        return;
    const ParamEntry* feedback = Entry(FeedbackRegister(kind_));
    const int code = feedback ? feedback->Value : 0;
    pResolver_->setText(FeedbackText(code));
    EnablePageButton(bEncOut_,
                     EncoderOutEnabled(kind_, GetModelFamily(kind_, driver_.ActiveTable()), code));
}

void TFMainDev::SetOnline(bool online) {
    online_ = online;
    mainGroup_->setEnabled(online);
    powerGroup_->setEnabled(online);
    homingGroup_->setEnabled(online && cSearch_->count() > 0 &&
                             !driver_.Config().ActiveHoming().Methods.empty());
    fileMenuEnabled_ = online;
    if (links_.SetSaveEnabled)
        links_.SetSaveEnabled(online);
}

// --- user actions ---------------------------------------------------------------------------

void TFMainDev::ModeChosen(int index) {
    ParamEntry* mode = Entry(a_.Mode);
    if (mode == nullptr || index < 0)
        return;
    bool changed = mode->Value != index;
    mode->Value = static_cast<std::int16_t>(index);
    // Only the Std page follows the mode with its page buttons.
    changed = ApplyMode(index, kind_ == DeviceKind::Std) || changed;
    if (changed)
        WriteChanged();
}

void TFMainDev::MainVoltageChosen(int index) {
    ParamEntry* voltage = Entry(MainVoltageRegister);
    if (voltage == nullptr || index < 0 || index >= static_cast<int>(voltages_.Codes.size()))
        return;
    const int code = voltages_.Codes[static_cast<std::size_t>(index)];
    if (voltage->Value == code)
        return;
    voltage->Value = static_cast<std::int16_t>(code);
    WriteChanged();
}

void TFMainDev::TorqueSatChosen(int index) {
    ParamEntry* saturation = Entry(a_.TorqueSatSwitch);
    if (saturation == nullptr)
        return;
    const auto old = static_cast<std::uint16_t>(saturation->Value);
    const auto value =
        static_cast<std::uint16_t>(index == 1 ? (old | TorqueSatBit) : (old & ~TorqueSatBit));
    if (value == old)
        return;
    saturation->Value = static_cast<std::int16_t>(value);
    WriteChanged();
}

void TFMainDev::HwControlClicked(bool checked) {
    ParamEntry* control = Entry(a_.HwControl);
    if (control == nullptr)
        return;
    const auto old = static_cast<std::uint16_t>(control->Value);
    const std::uint16_t value = WithHwControl(old, checked);
    if (value == old)
        return;
    control->Value = static_cast<std::int16_t>(value);
    WriteChanged();
}

// The method list and the sensor list together pick a descriptor: the one with the chosen
// method and sensor, else the first with the chosen method.
void TFMainDev::HomingChosen() {
    const HomingDescriptors& homing = driver_.Config().ActiveHoming();
    ParamEntry* method = Entry(a_.HomingMethod);
    if (method == nullptr)
        return;
    const int name = cSearch_->currentIndex();
    const int sensor = cNona_->isEnabled() ? cNona_->currentIndex() + 1 : 0;
    const HomingMethod* chosen = nullptr;
    for (const HomingMethod& candidate : homing.Methods) {
        if (candidate.NameIndex != name)
            continue;
        if (chosen == nullptr)
            chosen = &candidate;
        if (candidate.SensorIndex == sensor) {
            chosen = &candidate;
            break;
        }
    }
    if (chosen != nullptr && method->Value != static_cast<std::int16_t>(chosen->Code)) {
        method->Value = static_cast<std::int16_t>(chosen->Code);
        LoadHoming();
        WriteChanged();
        return;
    }
    LoadHoming(); // a method without a descriptor: show the stored one again
}

void TFMainDev::RegenChosen(int index) {
    const ParamEntry* voltage = Entry(PowerMainVoltageRegister);
    ParamEntry* regen = Entry(PowerRegenRegister);
    if (voltage == nullptr || regen == nullptr)
        return;
    const int code = RegenCode(voltage->Value, index);
    if (code < 0 || regen->Value == code)
        return;
    regen->Value = static_cast<std::int16_t>(code);
    WriteChanged();
}

void TFMainDev::WriteField(TPNumEdit& field) {
    bool changed = false;
    if (&field == eSpd_) {
        ParamEntry* speed = Entry(a_.DigitalSpeed);
        const ParamEntry* maximum = Entry(a_.MaxSpeed);
        if (speed == nullptr || maximum == nullptr)
            return;
        const int limit = std::abs(static_cast<int>(maximum->Value));
        // The speed the register already stands for (as the field shows it) keeps the
        // register as it is: rpm and raw do not map one to one everywhere (a maximum of 0,
        // a raw value one rpm beyond the limit).
        const int shown = std::clamp(RawToRpm(speed->Value, limit), -limit, limit);
        if (field.RdValore() != shown) {
            const std::int16_t raw = RpmToRaw(field.RdValore(), limit);
            changed = speed->Value != raw;
            speed->Value = raw;
        }
    } else {
        changed = fields_.Store(&field);
    }
    if (changed)
        WriteChanged();
    else
        RecolourAll();
}

void TFMainDev::SpeedFieldExit() {
    WriteField(*eSpd_);
}

void TFMainDev::WriteChanged() {
    driver_.WriteChangedParams();
    RecolourAll();
}

void TFMainDev::RecolourAll() {
    for (TPNumEdit* field : fields_.Fields())
        if (field->isEnabled())
            fields_.Recolour(field);
    if (const ParamEntry* speed = Entry(a_.DigitalSpeed))
        eSpd_->SetMarked(speed->Value != speed->DriveValue);
}

} // namespace kelm
