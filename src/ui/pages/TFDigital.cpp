#include "ui/pages/TFDigital.h"

#include "core/config/ConfigurationSet.h"
#include "core/drive/TDriver.h"
#include "core/params/ParamTable.h"
#include "core/rules/MainDevRules.h"
#include "core/rules/SpeedScaling.h"
#include "core/seams/Messages.h"
#include "ui/pages/LedColour.h"
#include "ui/pages/PageWidgets.h"
#include "ui/widgets/TPNumEdit.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <cstdlib>

namespace kelm {

namespace {

constexpr int LedSize = 14;

const IoItem* ItemAt(const IoGroup& group, int index) {
    if (index < 0 || index >= static_cast<int>(group.Items.size()))
        return nullptr;
    return &group.Items[static_cast<std::size_t>(index)];
}

int CodeOf(const IoItem* item) {
    return item == nullptr ? -1 : static_cast<std::uint16_t>(item->Number1);
}

} // namespace

TFDigital::TFDigital(TDriver& driver, DigitalLinks links, QWidget* parent)
    : QWidget(parent), driver_(driver), links_(std::move(links)), kind_(driver.CurrentKind()),
      a_(DigitalAddressTable(kind_)), session_(driver.Online()) {
    setObjectName(QStringLiteral("TFDigital"));
    setWindowTitle(QStringLiteral("  Digital    I/O "));
    if (links_.HoldDriveRequests)
        links_.HoldDriveRequests(true);
    driver_.DigitalSpeed().Hold(*this);
    auto* grid = new QGridLayout;
    BuildRows(grid);
    auto* box = new QVBoxLayout(this);
    box->addLayout(grid);
    box->setSizeConstraint(QLayout::SetMinimumSize);
    LoadSelections();
    if (!driver_.Online())
        PaintNotLive();
    for (int i = 0; i < DigitalRowCount; ++i)
        if (QComboBox* selector = rows_[i].Selector)
            connect(selector, &QComboBox::activated, this,
                    [this, i](int index) { SelectorChosen(i, index); });
}

TFDigital::~TFDigital() = default;

void TFDigital::BuildRows(QGridLayout* grid) {
    auto* inputs = new QGroupBox(QStringLiteral(" Inputs "), this);
    inputs->setObjectName(QStringLiteral("GInputs"));
    auto* outputs = new QGroupBox(QStringLiteral(" Outputs "), this);
    outputs->setObjectName(QStringLiteral("GOutputs"));
    auto* in = new QGridLayout(inputs);
    auto* out = new QGridLayout(outputs);
    in->addWidget(NewCaption(QStringLiteral("LFunction"), QStringLiteral("Function"), inputs), 0,
                  1);
    in->addWidget(NewCaption(QStringLiteral("LParam"), QStringLiteral("Parameter"), inputs), 0, 2);
    in->addWidget(NewCaption(QStringLiteral("LSt"), QStringLiteral("St"), inputs), 0, 3,
                  Qt::AlignHCenter);
    in->addWidget(NewCaption(QStringLiteral("LHw"), QStringLiteral("Hw"), inputs), 0, 4,
                  Qt::AlignHCenter);
    in->addWidget(NewCaption(QStringLiteral("LSt2"), QStringLiteral("St"), inputs), 0, 5,
                  Qt::AlignHCenter);
    const ConfigurationSet& config = driver_.Config();
    for (int i = 0; i < DigitalRowCount; ++i) {
        const DigitalRowLayout layout = DigitalRowLayoutOf(kind_, i);
        const IoGroup& group = config.GetIoLabelBase(i, kind_);
        const bool input = i < DigitalInputCount;
        QWidget* box = input ? inputs : outputs;
        QGridLayout* g = input ? in : out;
        const int line = input ? i + 1 : i - DigitalInputCount;
        Row& row = rows_[i];
        row.Label = NewCaption(QStringLiteral("LIo%1").arg(i + 1), group.Caption, box);
        g->addWidget(row.Label, line, 0);
        const std::uint16_t selector = a_.Selector[i];
        if (selector != 0 && driver_.ActiveTable().FindByAddress(selector) != nullptr &&
            !group.Items.empty()) {
            row.Selector = NewList(QStringLiteral("CIo%1").arg(i + 1), box);
            for (const IoItem& item : group.Items)
                row.Selector->addItem(item.Text);
            row.Selector->setEnabled(false);
            g->addWidget(row.Selector, line, 1);
        } else if (!layout.FixedText.isEmpty() && layout.Switch) {
            g->addWidget(NewCaption(QStringLiteral("LFix%1").arg(i + 1), layout.FixedText, box),
                         line, 1);
        }
        const std::uint16_t parameter = a_.Parameter[i];
        if (parameter != 0 && driver_.ActiveTable().FindByAddress(parameter) != nullptr) {
            row.Parameter = new TPNumEdit(box);
            row.Parameter->setObjectName(QStringLiteral("EIo%1").arg(i + 1));
            row.Parameter->SetTag(parameter);
            row.Parameter->setMaximumWidth(90);
            row.Parameter->setEnabled(false);
            g->addWidget(row.Parameter, line, 2);
        }
        if (layout.Switch) {
            row.Switch = new QPushButton(QStringLiteral("Force"), box);
            row.Switch->setObjectName(QStringLiteral("SIo%1").arg(i + 1));
            row.Switch->setCheckable(true);
            row.Switch->setEnabled(false);
            connect(row.Switch, &QPushButton::clicked, this, [this, i] { SwitchClicked(i); });
            g->addWidget(row.Switch, line, 3);
        } else if (!layout.FixedText.isEmpty()) {
            g->addWidget(NewCaption(QStringLiteral("LFix%1").arg(i + 1), layout.FixedText, box),
                         line, 3);
        }
        row.Hardware = new QLabel(box);
        row.Hardware->setObjectName(QStringLiteral("LHw%1").arg(i + 1));
        row.Hardware->setFixedSize(LedSize, LedSize);
        SetLed(row.Hardware, LedShade::Off);
        g->addWidget(row.Hardware, line, input ? 4 : 3, Qt::AlignHCenter);
        if (input && layout.StateLed) {
            row.State = new QLabel(box);
            row.State->setObjectName(QStringLiteral("LSt%1").arg(i + 1));
            row.State->setFixedSize(LedSize, LedSize);
            SetLed(row.State, LedShade::Off);
            g->addWidget(row.State, line, 5, Qt::AlignHCenter);
        }
        if (!layout.Visible)
            for (QWidget* w : std::initializer_list<QWidget*>{
                     row.Label, row.Selector, row.Switch, row.Hardware, row.State, row.Parameter})
                if (w != nullptr)
                    w->hide();
    }
    if (const int bit = BrakeLedBit(kind_); bit >= 0) {
        const int line = DigitalRowCount - DigitalInputCount;
        out->addWidget(NewCaption(QStringLiteral("LBrake"), QStringLiteral("BRAKE"), outputs), line,
                       0);
        brake_ = new QLabel(outputs);
        brake_->setObjectName(QStringLiteral("LHwBrake"));
        brake_->setFixedSize(LedSize, LedSize);
        SetLed(brake_, LedShade::Off);
        out->addWidget(brake_, line, 3, Qt::AlignHCenter);
    }
    grid->addWidget(inputs, 0, 0);
    grid->addWidget(outputs, 1, 0);
    BuildSlider(grid, 2);
}

void TFDigital::BuildSlider(QGridLayout* grid, int line) {
    auto* box = new QGroupBox(QStringLiteral(" Speed "), this);
    box->setObjectName(QStringLiteral("GSpeed"));
    auto* g = new QGridLayout(box);
    speedSlider_ = new QSlider(Qt::Horizontal, box);
    speedSlider_->setObjectName(QStringLiteral("SAna"));
    speedSlider_->setMinimumWidth(200);
    if (const ParamEntry* entry = Entry(a_.Slider)) {
        speedSlider_->setRange(entry->MinValue, entry->MaxValue);
        speedSlider_->setValue(entry->Value);
    }
    speedSlider_->setEnabled(false); // until the page is live
    speedLabel_ = NewCaption(QStringLiteral("LSpeed"), QString(), box);
    speedLabel_->setMinimumWidth(
        speedLabel_->fontMetrics().horizontalAdvance(QStringLiteral("-00000 rpm")));
    g->addWidget(speedSlider_, 0, 0, 1, 4);
    g->addWidget(NewCaption(QStringLiteral("LV"), QStringLiteral("V ="), box), 1, 0);
    g->addWidget(speedLabel_, 1, 1);
    g->addWidget(NewCaption(QStringLiteral("LRpm"), QStringLiteral("rpm"), box), 1, 2);
    g->setColumnStretch(3, 1);
    grid->addWidget(box, line, 0);
    connect(speedSlider_, &QSlider::valueChanged, this, &TFDigital::SliderMoved);
    connect(speedSlider_, &QSlider::sliderReleased, this, [this] { WriteSpeed(true); });
    speedLabel_->setText(RpmText(speedSlider_->value()));
}

// Reads each selector register, repairs a stored function that is out of its list or
// claimed by an earlier row, and shows every row. Repairs are written on line only; off line
// the rows show them and the table keeps what it holds.
void TFDigital::LoadSelections() {
    const bool online = driver_.Online();
    const WorkerMode mode = online ? driver_.WaitIdle() : WorkerMode::Idle;
    ClearMasks(); // nothing of an earlier page goes out with a later write
    RegisterValues repairs;
    const ConfigurationSet& config = driver_.Config();
    std::vector<int> earlier;
    for (int i = 0; i < DigitalRowCount; ++i) {
        Row& row = rows_[i];
        const IoGroup& group = config.GetIoLabelBase(i, kind_);
        row.Code = CodeOf(ItemAt(group, 0));
        if (row.Selector != nullptr) {
            const ParamEntry* entry = Entry(a_.Selector[i]);
            if (online)
                driver_.ReadParam(a_.Selector[i], true, 100);
            std::vector<int> codes;
            for (const IoItem& item : group.Items)
                codes.push_back(CodeOf(&item));
            int index = entry->Value;
            if (RepairSelection(index, codes, earlier))
                repairs.emplace_back(a_.Selector[i], static_cast<std::int16_t>(index));
            row.Selector->setCurrentIndex(index);
            row.Code = codes[static_cast<std::size_t>(index)];
        }
        earlier.push_back(row.Code);
        const IoItem* current = CurrentItem(i);
        if (row.Switch != nullptr)
            SetSwitchType(i, current != nullptr && current->ItemFlag);
        if (row.Parameter != nullptr) {
            if (const std::optional<std::int16_t> clamped = SetupParameterField(i))
                repairs.emplace_back(a_.Parameter[i], *clamped);
            row.Parameter->setEnabled(false);
        }
    }
    if (online)
        driver_.SetMode(mode);
    if (online && !repairs.empty())
        Commit(driver_.Ask(QStringLiteral("Digital I/O functions repaired")), repairs);
}

const IoItem* TFDigital::CurrentItem(int i) const {
    const Row& row = rows_[i];
    const IoGroup& group = driver_.Config().GetIoLabelBase(i, kind_);
    return ItemAt(group, row.Selector != nullptr ? row.Selector->currentIndex() : 0);
}

QString TFDigital::RowCaption(int i) const {
    return driver_.Config().GetIoLabelBase(i, kind_).Caption;
}

void TFDigital::ShowRow(int i) {
    Row& row = rows_[i];
    if (row.Selector != nullptr) {
        const ParamEntry* entry = Entry(a_.Selector[i]);
        const int index = entry != nullptr ? entry->Value : 0;
        const IoGroup& group = driver_.Config().GetIoLabelBase(i, kind_);
        row.Selector->setCurrentIndex(ItemAt(group, index) != nullptr ? index : 0);
    }
    const IoItem* current = CurrentItem(i);
    row.Code = CodeOf(current);
    if (row.Switch != nullptr)
        SetSwitchType(i, current != nullptr && current->ItemFlag);
    if (row.Parameter != nullptr)
        SetupParameterField(i);
}

std::optional<std::int16_t> TFDigital::SetupParameterField(int i) {
    Row& row = rows_[i];
    TPNumEdit* field = row.Parameter;
    const ParamEntry* entry = Entry(a_.Parameter[i]);
    const IoItem* item = CurrentItem(i);
    if (item == nullptr || !item->HasRange || entry == nullptr) {
        field->setEnabled(false);
        field->setBackgroundRole(QPalette::Window);
        field->setAutoFillBackground(true);
        field->WrMin(0);
        field->WrMax(0);
        field->WrValore(0);
        field->ShowEmpty();
        field->SetKeyHandler({});
        field->SetExitHandler({});
        row.Ranged = false;
        return std::nullopt;
    }
    row.Ranged = true;
    field->setEnabled(Interactive());
    field->setAutoFillBackground(false);
    field->setBackgroundRole(QPalette::Base);
    field->WrMin(item->Number2);
    field->WrMax(item->Number3);
    field->SetIsNegative(item->Number2 < 0);
    field->WrValore(entry->Value);
    field->SetMarked(entry->Value != entry->DriveValue);
    field->deselect();
    field->SetKeyHandler(
        [this](TPNumEdit& f, QKeyEvent& event) { return ParameterKey(f, event.key()); });
    field->SetExitHandler([this](TPNumEdit&) { ReloadParameters(); });
    if (field->RdValore() == entry->Value)
        return std::nullopt;
    return static_cast<std::int16_t>(field->RdValore());
}

bool TFDigital::ParameterKey(TPNumEdit& field, int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        const auto address = static_cast<std::uint16_t>(field.Tag());
        if (const ParamEntry* entry = Entry(address);
            Interactive() && entry != nullptr && entry->Value != field.RdValore())
            Commit(driver_.Ask(QStringLiteral("Digital I/O parameter")),
                   {{address, static_cast<std::int16_t>(field.RdValore())}});
        ReloadParameters();
        return true;
    }
    if (key == Qt::Key_Escape) {
        ReloadParameters();
        return true;
    }
    field.SetMarked(true);
    return false;
}

void TFDigital::ReloadParameters() {
    for (const Row& row : rows_) {
        if (row.Parameter == nullptr || !row.Parameter->isEnabled())
            continue;
        if (const ParamEntry* entry = Entry(static_cast<std::uint16_t>(row.Parameter->Tag()))) {
            row.Parameter->WrValore(entry->Value);
            row.Parameter->SetMarked(false);
            if (!row.Parameter->hasFocus())
                row.Parameter->deselect();
        }
    }
}

void TFDigital::SetSwitchType(int i, bool momentary) {
    session_.SetSwitchType(i, momentary);
    ShowSwitch(i);
}

void TFDigital::ShowSwitch(int i) {
    QPushButton* button = rows_[i].Switch;
    button->setChecked(session_.SwitchOn(i));
    button->setText(session_.Momentary(i) ? QStringLiteral("Push") : QStringLiteral("Force"));
}

void TFDigital::SelectorChosen(int i, int index) {
    Row& row = rows_[i];
    const IoGroup& group = driver_.Config().GetIoLabelBase(i, kind_);
    const IoItem* item = ItemAt(group, index);
    const ParamEntry* entry = Entry(a_.Selector[i]);
    if (item == nullptr || entry == nullptr || !Interactive()) {
        ShowRow(i);
        return;
    }
    const WriteOrigin origin = driver_.Ask(QStringLiteral("Digital I/O function ") + RowCaption(i));
    const int owner = LockingRow(CodeOf(item), Codes(), i);
    if (owner >= 0) {
        // A row without a selector performs its fixed function, named by its caption.
        QString shows = RowCaption(owner);
        if (rows_[owner].Selector != nullptr) {
            const IoItem* performs = CurrentItem(owner);
            shows = performs != nullptr ? performs->Text : QString();
        }
        ShowError(LockMessage(item->Text, RowCaption(owner), shows));
        ShowRow(i);
        return;
    }
    RegisterValues changes;
    if (entry->Value != index)
        changes.emplace_back(a_.Selector[i], static_cast<std::int16_t>(index));
    row.Code = CodeOf(item);
    if (row.Switch != nullptr)
        SetSwitchType(i, item->ItemFlag);
    if (row.Parameter != nullptr)
        if (const std::optional<std::int16_t> clamped = SetupParameterField(i))
            changes.emplace_back(a_.Parameter[i], *clamped);
    if (!changes.empty() && !Commit(origin, changes))
        ShowRow(i); // back to what the drive holds
    if (row.Parameter != nullptr)
        ReloadParameters();
}

void TFDigital::SwitchClicked(int i) {
    const bool asked =
        session_.Click(i, rows_[i].Switch->isChecked(),
                       driver_.Ask(QStringLiteral("Digital I/O force ") + RowCaption(i)));
    ShowSwitch(i);
    if (asked && links_.PollNow)
        links_.PollNow();
}

void TFDigital::SetEnableSwitch(bool on) {
    Row& row = rows_[0];
    if (row.Switch == nullptr || !Interactive())
        return;
    row.Switch->setChecked(on);
    SwitchClicked(0);
}

void TFDigital::LineChanged(bool online) {
    if (!online) {
        const bool speedPending = session_.Requests().SpeedPending();
        session_.GoOffLine();
        ClearMasks();
        EnableControls(false);
        for (int i = 0; i < DigitalRowCount; ++i)
            ShowRow(i); // also discards a number typed without Enter
        ShowSliderValue(speedPending);
        PaintNotLive();
        return;
    }
    // Back on line: the switches are set from two fresh refreshes before anything is live.
    if (!session_.Restart())
        return;
    if (links_.HoldDriveRequests)
        links_.HoldDriveRequests(true);
    if (session_.Counting() && links_.PollNow)
        links_.PollNow();
}

void TFDigital::EnableControls(bool enabled) {
    for (Row& row : rows_) {
        if (row.Switch != nullptr)
            row.Switch->setEnabled(enabled);
        if (row.Selector != nullptr)
            row.Selector->setEnabled(enabled);
        if (row.Parameter != nullptr)
            row.Parameter->setEnabled(enabled && row.Ranged);
    }
    speedSlider_->setEnabled(enabled && Entry(a_.Slider) != nullptr);
}

void TFDigital::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (session_.Show() && links_.PollNow)
        links_.PollNow();
}

// Closing writes nothing: whatever is still pending is dropped.
void TFDigital::closeEvent(QCloseEvent* event) {
    if (session_.Close())
        ShowSliderValue(true);
    if (!Interactive() && links_.HoldDriveRequests)
        links_.HoldDriveRequests(false);
    driver_.DigitalSpeed().Release(*this);
    emit Closed();
    QWidget::closeEvent(event);
}

ParamEntry* TFDigital::Entry(std::uint16_t address) const {
    return address != 0 ? driver_.ActiveTable().FindByAddress(address) : nullptr;
}

std::int16_t TFDigital::Register(std::uint16_t address) const {
    const ParamEntry* entry = Entry(address);
    return entry != nullptr ? entry->DriveValue : 0;
}

void TFDigital::SetLed(QLabel* led, LedShade shade) const {
    led->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid gray;")
                           .arg(LedColour(shade).name()));
}

void TFDigital::PaintNotLive() {
    for (const Row& row : rows_)
        for (QLabel* led : {row.Hardware, row.State})
            if (led != nullptr)
                SetLed(led, LedShade::NotLive);
    if (brake_ != nullptr)
        SetLed(brake_, LedShade::NotLive);
}

void TFDigital::ClearMasks() {
    for (const std::uint16_t address : {a_.ForceOn, a_.Release})
        if (ParamEntry* entry = Entry(address))
            entry->Value = entry->DriveValue;
}

bool TFDigital::Commit(const WriteOrigin& origin, const RegisterValues& values) {
    if (!driver_.Online() || !driver_.StillCurrent(origin))
        return false;
    driver_.WaitIdle();
    bool written = true;
    std::vector<std::uint16_t> reached;
    {
        // Only these registers: another page's unsent edit is not this request's to send.
        const WriteGate::Scope scope(driver_.Gate(), origin);
        for (const auto& [address, value] : values) {
            ParamEntry* entry = Entry(address);
            if (entry == nullptr || (entry->Value == value && entry->DriveValue == value))
                continue;
            const std::int16_t previous = entry->Value;
            entry->Value = value;
            if (driver_.WriteEntry(*entry, true, 100)) {
                reached.push_back(address);
            } else {
                entry->Value = previous;
                written = false;
            }
        }
    }
    driver_.SetMode(WorkerMode::StatusPoll);
    driver_.Notice().Applied(reached);
    return written;
}

// The slider position in rpm with the main page's scaling (maximum speed from Value).
QString TFDigital::RpmText(int position) const {
    const ParamEntry* maximum =
        driver_.ActiveTable().FindByAddress(MainDevAddressTable(kind_).MaxSpeed);
    const std::int32_t limit = maximum != nullptr ? std::abs(maximum->Value) : 0;
    return QString::number(RawToRpm(position, limit));
}

std::vector<int> TFDigital::Codes() const {
    std::vector<int> codes;
    for (const Row& row : rows_)
        codes.push_back(row.Code);
    return codes;
}

void TFDigital::DigitalRefresh() {
    if (!driver_.Online())
        return;
    const auto hardware = static_cast<std::uint16_t>(Register(a_.Hardware));
    const auto effective = static_cast<std::uint16_t>(Register(a_.Effective));
    DigitalForceSession::States hw{};
    DigitalForceSession::States st{};
    for (int i = 0; i < DigitalRowCount; ++i) {
        hw[i] = (hardware >> DigitalRowLayoutOf(kind_, i).HardwareBit) & 1u;
        st[i] = (effective >> i) & 1u;
    }
    const DigitalForceSession::Refresh step = session_.OnRefresh(
        hw, st, [this](const WriteOrigin& origin) { return driver_.StillCurrent(origin); });
    if (!step.Counted && !step.MasksTaken)
        return; // not shown yet, or off line
    for (int i = 0; i < DigitalRowCount; ++i) {
        SetLed(rows_[i].Hardware, hw[i] ? LedShade::On : LedShade::Off);
        if (rows_[i].State != nullptr)
            SetLed(rows_[i].State, st[i] ? LedShade::On : LedShade::Off);
        if (i < DigitalInputCount && rows_[i].Switch != nullptr)
            rows_[i].Switch->setChecked(session_.SwitchOn(i));
    }
    if (brake_ != nullptr)
        SetLed(brake_, ((hardware >> BrakeLedBit(kind_)) & 1u) != 0 ? LedShade::On : LedShade::Off);
    if (step.PollAgain && links_.PollNow)
        links_.PollNow();
    if (step.BecameLive) {
        EnableControls(true);
        if (links_.HoldDriveRequests)
            links_.HoldDriveRequests(false);
    }
    if (!step.MasksTaken)
        return;
    if (ParamEntry* entry = Entry(a_.ForceOn))
        entry->Value = static_cast<std::int16_t>(step.Masks.ForceOn);
    if (ParamEntry* entry = Entry(a_.Release))
        entry->Value = static_cast<std::int16_t>(step.Masks.Release);
}

void TFDigital::SliderMoved(int position) {
    if (!Interactive()) { // off line or not live yet: the slider keeps showing the register
        ShowSliderValue(false);
        return;
    }
    const QString rpm = RpmText(position);
    speedLabel_->setText(rpm);
    driver_.DigitalSpeed().ShowRpm(rpm);
    // A keyboard or wheel step is due at once; a drag once per 200 ms window.
    if (session_.Requests().MoveSpeed(
            position, driver_.Ask(QStringLiteral("Digital I/O speed slider")),
            speedSlider_->isSliderDown(), QDateTime::currentMSecsSinceEpoch()))
        WriteSpeed(false);
}

void TFDigital::WriteSpeed(bool dragEnded) {
    const bool pending = session_.Requests().SpeedPending();
    const std::optional<DigitalRequests::Speed> speed = session_.Requests().TakeSpeed(
        [this](const WriteOrigin& origin) { return driver_.StillCurrent(origin); }, dragEnded);
    const ParamEntry* entry = Entry(a_.Slider);
    if (!speed || entry == nullptr) {
        if (pending) // asked before a transition: dropped
            ShowSliderValue(true);
        return;
    }
    if (entry->Value != speed->Position &&
        !Commit(speed->Origin, {{a_.Slider, static_cast<std::int16_t>(speed->Position)}}))
        ShowSliderValue(true);
}

void TFDigital::ShowSliderValue(bool mirror) {
    const ParamEntry* entry = Entry(a_.Slider);
    if (entry == nullptr)
        return;
    {
        const QSignalBlocker block(speedSlider_);
        speedSlider_->setValue(entry->Value);
    }
    const QString rpm = RpmText(entry->Value);
    speedLabel_->setText(rpm);
    if (mirror)
        driver_.DigitalSpeed().ShowRpm(rpm);
}

} // namespace kelm
