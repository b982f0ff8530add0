#include "ui/profile/TFProfile.h"
#include "ui/widgets/ChangeMark.h"

#include "core/drive/TDriver.h"
#include "core/files/ProfilesFile.h"
#include "core/params/ParamTable.h"
#include "core/rules/FieldBinding.h"
#include "core/rules/ProfileRules.h"
#include "core/seams/Messages.h"
#include "core/settings/SettingsStore.h"
#include "ui/pages/PageWidgets.h"
#include "ui/profile/ProfileChart.h"
#include "ui/seams/DialogRunner.h"
#include "ui/shell/ShellHost.h"
#include "ui/widgets/ChildFrame.h"
#include "ui/widgets/TPNumEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace kelm {

using namespace profile;

namespace {

constexpr std::int32_t WideMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t WideMax = std::numeric_limits<std::int32_t>::max();

bool IsEnter(const QKeyEvent& key) {
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

// The caption's background: red while the stored speed is over the maximum.
void PaintCaption(QLabel* caption, bool red) {
    QPalette colours = caption->palette();
    colours.setColor(QPalette::Window,
                     red ? QColor(Qt::red) : QApplication::palette().color(QPalette::Button));
    colours.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::ButtonText));
    caption->setPalette(colours);
}

} // namespace

TFProfile::TFProfile(ShellHost& shell, std::function<void(ProgressMode)> transfer, QWidget* parent)
    : QWidget(parent), shell_(shell), driver_(shell.Driver()), table_(driver_.ProfileTable()),
      transfer_(std::move(transfer)) {
    setObjectName(QStringLiteral("TFProfile"));
    setWindowTitle(QStringLiteral(" Kelm  Profile Tool"));
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    setAutoFillBackground(true);

    speedErrTimer_ = new QTimer(this);
    speedErrTimer_->setObjectName(QStringLiteral("TSpeedErr"));
    speedErrTimer_->setSingleShot(true);
    speedErrTimer_->setInterval(100);
    connect(speedErrTimer_, &QTimer::timeout, this, [this] { TSpeedErrTimer(); });

    MyGraph = new ProfileChart(this);
    auto* body = new QHBoxLayout;
    body->addWidget(MyGraph, 1);
    body->addWidget(BuildTaskPanel());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildHeader());
    layout->addLayout(body, 1);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
}

TFProfile::~TFProfile() {
    // Leaving a field while the window goes away writes nothing.
    for (TPNumEdit* field : {EFirst, EPStop, ENStop})
        field->SetExitHandler({});
}

TPNumEdit* TFProfile::NewField(const char* name, std::int32_t min, std::int32_t max) {
    auto* field = new TPNumEdit(this);
    field->setObjectName(QString::fromLatin1(name));
    field->WrMin(min);
    field->WrMax(max);
    field->SetIsNegative(min < 0);
    // As wide as the longest number of the range.
    const qsizetype digits =
        std::max<qsizetype>({QString::number(min).size(), QString::number(max).size(), 5});
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QString(digits + 1, '8')) + 12);
    return field;
}

QWidget* TFProfile::BuildHeader() {
    auto* bar = new QWidget(this);
    auto* grid = new QGridLayout(bar);
    grid->setContentsMargins(0, 0, 0, 0);
    const auto button = [bar](const char* name, const QString& text, const QString& hint) {
        auto* b = new QPushButton(text, bar);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        return b;
    };
    BOpen = button("BOpen", QStringLiteral("&Open"), QStringLiteral("Open Profile File"));
    BSaveAs = button("BSaveAs", QStringLiteral("&Save as"), QStringLiteral("Save Profile File"));
    BSaveFl =
        button("BSaveFl", QStringLiteral("Save to &Flash"), QStringLiteral("Save Data To FLASH"));
    BLoadFl = button("BLoadFl", QStringLiteral("&Load from Flash"),
                     QStringLiteral("Load Data From FLASH"));
    connect(BOpen, &QPushButton::clicked, this, [this] { BOpenClick(); });
    connect(BSaveAs, &QPushButton::clicked, this, [this] { BSaveAsClick(); });
    connect(BSaveFl, &QPushButton::clicked, this, [this] { BSaveFlClick(); });
    connect(BLoadFl, &QPushButton::clicked, this, [this] { BLoadFlClick(); });
    grid->addWidget(BOpen, 0, 0);
    grid->addWidget(BSaveAs, 1, 0);
    grid->addWidget(BSaveFl, 0, 1);
    grid->addWidget(BLoadFl, 1, 1);

    EFirst = NewField("EFirst", 0, TaskCount);
    EFirst->SetTag(FirstTaskRegister);
    EPStop = NewField("EPStop", WideMin, WideMax);
    EPStop->SetTag(PStopRegister);
    ENStop = NewField("ENStop", WideMin, WideMax);
    ENStop->SetTag(NStopRegister);
    MSpeed = new QLineEdit(bar);
    MSpeed->setObjectName(QStringLiteral("MSpeed"));
    MSpeed->setReadOnly(true);
    MSpeed->setFixedWidth(EFirst->width());
    for (TPNumEdit* field : {EFirst, EPStop, ENStop}) {
        field->SetChangeHandler([](TPNumEdit& f) { f.SetMarked(true); });
        field->SetKeyHandler([this](TPNumEdit& f, QKeyEvent& key) {
            if (!IsEnter(key))
                return false;
            HeaderCommit(f);
            return true;
        });
        field->SetExitHandler([this](TPNumEdit& f) { HeaderCommit(f); });
    }
    const auto caption = [bar](const char* text) {
        return new QLabel(QString::fromLatin1(text), bar);
    };
    grid->setColumnMinimumWidth(2, 12);
    grid->addWidget(caption("First Profile"), 0, 3);
    grid->addWidget(EFirst, 0, 4);
    grid->addWidget(caption("Max Position Speed"), 1, 3);
    grid->addWidget(MSpeed, 1, 4);
    grid->addWidget(caption("RPM"), 1, 5);
    grid->setColumnMinimumWidth(6, 12);
    grid->addWidget(caption("PSTOP Software"), 0, 7);
    grid->addWidget(EPStop, 0, 8);
    grid->addWidget(caption("pulses"), 0, 9);
    grid->addWidget(caption("NSTOP Software"), 1, 7);
    grid->addWidget(ENStop, 1, 8);
    grid->addWidget(caption("pulses"), 1, 9);
    grid->setColumnStretch(10, 1);
    return bar;
}

QWidget* TFProfile::BuildTaskPanel() {
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    CActProf = NewList(QStringLiteral("CActProf"), panel);
    CSucc = NewList(QStringLiteral("CSucc"), panel);
    CSucc->addItem(QStringLiteral("None"));
    for (int k = 0; k < TaskCount; ++k) {
        CActProf->addItem(TaskCaption(k));
        CSucc->addItem(TaskCaption(k));
    }
    connect(CActProf, &QComboBox::currentIndexChanged, this, [this] { CActProfChange(); });
    connect(CSucc, &QComboBox::activated, this, [this] { MarkChanged(CSucc, true); });

    EAcc = NewField("EAcc", RampMin, RampMax);
    ESpd = NewField("ESpd", SpeedMin, MaxSpeedCeiling);
    EDec = NewField("EDec", RampMin, RampMax);
    EPosEnd = NewField("EPosEnd", WideMin, WideMax);
    EWPos = NewField("EWPos", WideMin, WideMax);
    EWTime = NewField("EWTime", 0, 65535);
    EDelay = NewField("EDelay", 0, 65535);
    for (TPNumEdit* field : {EPosEnd, EWPos, EWTime, EDelay})
        field->SetChangeHandler([](TPNumEdit& f) { f.SetMarked(true); });
    ESpd->SetChangeHandler([this](TPNumEdit&) { ESpdChange(); });
    for (TPNumEdit* field : {EAcc, EDec})
        field->SetChangeHandler([this](TPNumEdit& f) {
            Redraw();
            f.SetMarked(true);
        });

    LSpd = new QLabel(QStringLiteral("Speed (RPM) "), panel);
    LSpd->setObjectName(QStringLiteral("LSpd"));
    LSpd->setAutoFillBackground(true);
    PaintCaption(LSpd, false);
    int row = 0;
    grid->addWidget(CActProf, row++, 0, 1, 2);
    const auto add = [&](QWidget* caption, QWidget* field) {
        grid->addWidget(caption, row, 0);
        grid->addWidget(field, row++, 1);
    };
    const auto caption = [panel](const char* text) {
        return new QLabel(QString::fromLatin1(text), panel);
    };
    add(caption("Final Position (pulses) "), EPosEnd);
    add(LSpd, ESpd);
    add(caption("Acc. Time (ms) "), EAcc);
    add(caption("Dec. Time (ms) "), EDec);
    add(caption("Window Pos. (pulses)"), EWPos);
    add(caption("Window Time (ms)"), EWTime);
    add(caption("Delay Time  (ms)"), EDelay);
    add(caption(" Next Profile "), CSucc);
    grid->setRowStretch(row++, 1);
    BCancel = new QPushButton(QStringLiteral("&Cancel"), panel);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    BApply = new QPushButton(QStringLiteral("&Apply"), panel);
    BApply->setObjectName(QStringLiteral("BApply"));
    connect(BCancel, &QPushButton::clicked, this, [this] { BCancelClick(); });
    connect(BApply, &QPushButton::clicked, this, [this] { BApplyClick(); });
    grid->addWidget(BCancel, row, 0);
    grid->addWidget(BApply, row, 1);
    return panel;
}

// --- loading and storing -------------------------------------------------------------------

void TFProfile::ShowData() {
    maxSpeed_ = MaxPositionSpeed(driver_.ActiveTable().FindByAddress(MaxSpeedRegister)
                                     ? driver_.ActiveTable().FindByAddress(MaxSpeedRegister)->Value
                                     : std::int16_t{0});
    MSpeed->setText(QString::number(maxSpeed_));
    LoadHeader();
    const QSignalBlocker quiet(CActProf);
    CActProf->setCurrentIndex(0);
    LoadTask(0);
}

void TFProfile::RefreshSpeedLimit() {
    StoreFields();
    const int task = shownTask_;
    ShowData();
    const QSignalBlocker quiet(CActProf);
    CActProf->setCurrentIndex(task);
    LoadTask(task);
}

void TFProfile::LoadHeader() {
    const auto e = [this](int a) -> ParamEntry& {
        return *table_.FindByAddress(static_cast<std::uint16_t>(a));
    };
    EFirst->WrValore(e(FirstTaskRegister).Value);
    EPStop->WrValore(JoinWords(e(PStopRegister).Value, e(PStopRegister + 1).Value));
    ENStop->WrValore(JoinWords(e(NStopRegister).Value, e(NStopRegister + 1).Value));
    for (TPNumEdit* field : {EFirst, EPStop, ENStop}) {
        const int a = field->Tag();
        const bool wide = field != EFirst;
        field->SetMarked(e(a).Value != e(a).DriveValue ||
                         (wide && e(a + 1).Value != e(a + 1).DriveValue));
    }
}

void TFProfile::LoadTask(int task) {
    shownTask_ = task;
    const int base = TaskBase(task);
    const auto e = [this](int a) -> ParamEntry& {
        return *table_.FindByAddress(static_cast<std::uint16_t>(a));
    };
    EPosEnd->SetTag(base + Offset::Position);
    ESpd->SetTag(base + Offset::Speed);
    EAcc->SetTag(base + Offset::Acc);
    EDec->SetTag(base + Offset::Dec);
    EWPos->SetTag(base + Offset::Window);
    EWTime->SetTag(base + Offset::WindowTime);
    CSucc->setProperty("tag", base + Offset::Next);
    EDelay->SetTag(base + Offset::Delay);

    for (TPNumEdit* field : {EAcc, ESpd, EDec, EWTime, EDelay}) {
        const ParamEntry& entry = e(field->Tag());
        if (field == ESpd) {
            ESpd->WrMax(maxSpeed_);
            PaintCaption(LSpd, false);
            if (profile::SpeedOverMax(entry.Value, maxSpeed_)) {
                speedErrTimer_->start();
                setEnabled(false);
                PaintCaption(LSpd, true);
                ESpd->WrMax(entry.Value);
            }
        }
        field->WrValore(ShownValue(entry.Value, field->RdMax()));
    }
    ParamEntry& next = e(base + Offset::Next);
    next.Value = static_cast<std::int16_t>(SuccessorIndex(next.Value));
    CSucc->setCurrentIndex(next.Value);
    EPosEnd->WrValore(JoinWords(e(base).Value, e(base + 1).Value));
    EWPos->WrValore(JoinWords(e(base + Offset::Window).Value, e(base + Offset::Window + 1).Value));
    for (const TPNumEdit* field : {EAcc, ESpd, EDec, EWTime, EDelay, EPosEnd, EWPos})
        loaded_[field] = field->RdValore();
    Recolour();
    Redraw();
}

void TFProfile::StoreFields() {
    const auto e = [this](int a) -> ParamEntry& {
        return *table_.FindByAddress(static_cast<std::uint16_t>(a));
    };
    const auto edited = [this](const TPNumEdit* field) {
        const auto it = loaded_.find(field);
        return it == loaded_.end() || it->second != field->RdValore();
    };
    for (TPNumEdit* field : {EAcc, ESpd, EDec, EWTime, EDelay})
        if (edited(field))
            e(field->Tag()).Value = static_cast<std::int16_t>(field->RdValore());
    e(TaskBase(shownTask_) + Offset::Next).Value = static_cast<std::int16_t>(CSucc->currentIndex());
    for (TPNumEdit* field : {EPosEnd, EWPos}) {
        if (!edited(field))
            continue;
        e(field->Tag()).Value = HighWordOf(field->RdValore());
        e(field->Tag() + 1).Value = LowWordOf(field->RdValore());
    }
}

// Red while Value differs from DriveValue; a 32-bit field when either word differs.
void TFProfile::Recolour() {
    const auto differs = [this](int a) {
        const ParamEntry* entry = table_.FindByAddress(static_cast<std::uint16_t>(a));
        return entry->Value != entry->DriveValue;
    };
    const int base = TaskBase(shownTask_);
    MarkChanged(CSucc, differs(base + Offset::Next));
    for (TPNumEdit* field : {EPosEnd, EWPos})
        field->SetMarked(differs(field->Tag()) || differs(field->Tag() + 1));
    for (TPNumEdit* field : {EAcc, ESpd, EDec, EWTime, EDelay})
        field->SetMarked(differs(field->Tag()));
}

bool TFProfile::SpeedOverMax() const {
    return ESpd->RdMax() > maxSpeed_;
}

// --- handlers ------------------------------------------------------------------------------

void TFProfile::CActProfChange() {
    StoreFields();
    LoadTask(std::max(0, CActProf->currentIndex()));
}

void TFProfile::ESpdChange() {
    if (ESpd->RdValore() < maxSpeed_) {
        ESpd->WrMax(maxSpeed_);
        PaintCaption(LSpd, false);
    }
    Redraw();
    ESpd->SetMarked(true);
}

void TFProfile::Redraw() {
    MyGraph->Draw(ESpd->RdValore(), EAcc->RdValore(), EDec->RdValore(), maxSpeed_);
}

void TFProfile::TSpeedErrTimer() {
    setEnabled(true);
    const ParamEntry* speed = table_.FindByAddress(ESpd->Tag());
    ShowError(QStringLiteral("Speed Value Over Max Speed !\rSpeed = ") +
              QString::number(speed ? speed->Value : 0) +
              QStringLiteral("\rMax Position Speed = ") + QString::number(maxSpeed_));
}

void TFProfile::HeaderCommit(TPNumEdit& field) {
    const auto a = static_cast<std::uint16_t>(field.Tag());
    ParamEntry& high = *table_.FindByAddress(a);
    const std::int32_t shown = field.RdValore();
    ParamEntry& low = *table_.FindByAddress(a + 1);
    const bool wide = &field != EFirst;
    if (shown == (wide ? JoinWords(high.Value, low.Value) : high.Value)) {
        LoadHeader(); // typed back to the stored value: normal colour again
        return;
    }
    if (wide) {
        high.Value = HighWordOf(shown);
        low.Value = LowWordOf(shown);
    } else {
        high.Value = static_cast<std::int16_t>(shown);
    }
    QPointer<TFProfile> self(this);
    const bool online = driver_.WriteChangedProfiles();
    if (!self)
        return;
    if (!online) {
        OfflineCheck();
        return;
    }
    LoadHeader();
}

void TFProfile::BApplyClick() {
    if (IsProfileLoop(CActProf->currentIndex(), CSucc->currentIndex())) {
        ShowError(QStringLiteral("Profile Loop!\r\nApply Aborted"));
        return;
    }
    StoreFields();
    LoadTask(shownTask_);
    QPointer<TFProfile> self(this);
    const bool online = driver_.WriteChangedProfiles();
    if (!self)
        return;
    if (!online) {
        if (!OfflineCheck())
            CloseSelf();
        return;
    }
    Recolour();
}

void TFProfile::BCancelClick() {
    table_.CopyColumn(Column::Value, Column::DriveValue);
    LoadTask(shownTask_);
}

void TFProfile::BSaveFlClick() {
    if (!AskConfirm(QStringLiteral("Save Actual Profiles Data To Flash?")))
        return;
    QPointer<TFProfile> self(this);
    const bool ok = driver_.FlashCommand(TDriver::CmdSaveProfiles);
    if (!self)
        return;
    if (ok)
        ShowInfo(QStringLiteral("Profiles Saved !"));
    else
        OfflineCheck();
}

void TFProfile::BLoadFlClick() {
    if (!AskConfirm(QStringLiteral("Load Profiles Data From Flash?")))
        return;
    QPointer<TFProfile> self(this);
    const bool ok = driver_.FlashCommand(TDriver::CmdLoadProfiles);
    if (!self)
        return;
    if (!ok) {
        OfflineCheck();
        return;
    }
    ShowInfo(QStringLiteral("Profiles Loaded !                \rNow Read Data"));
    transfer_(ProgressMode::ReadProfiles);
    if (!self)
        return;
    table_.CopyColumn(Column::FileValue, Column::Value);
    table_.CopyColumn(Column::DriveValue, Column::Value);
    LoadHeader();
    LoadTask(shownTask_);
    if (driver_.Online())
        ShowInfo(QStringLiteral("Profiles Data Loaded !"));
    else
        OfflineCheck();
}

void TFProfile::BOpenClick() {
    FileDialogRequest request;
    request.Caption = QStringLiteral("Open Profile File");
    request.Filter = ProfilesFileFilter();
    request.DefaultExtension = QStringLiteral("bcp");
    request.InitialDir = shell_.Settings().ProfilesFolder;
    if (!Dialogs().GetOpenFileName(this, request))
        return;
    const QFileInfo file(request.FileName);
    if (QLatin1Char('.') + file.suffix().toLower() != QLatin1String(ProfilesFileExtension)) {
        ShowDifferentExtensions(request.FileName);
        return;
    }
    shell_.Settings().ProfilesFolder = file.absolutePath() + QLatin1Char('/');
    // A file that could not be read (already reported) changes nothing and sends nothing.
    if (!OpenProfilesFile(table_, request.FileName))
        return;
    QPointer<TFProfile> self(this);
    if (driver_.Online()) {
        transfer_(ProgressMode::WriteProfiles);
        if (!self)
            return;
        table_.CopyColumn(Column::DriveValue, Column::Value);
    }
    if (OfflineCheck())
        return;
    LoadHeader();
    LoadTask(shownTask_);
}

void TFProfile::BSaveAsClick() {
    FileDialogRequest request;
    request.Caption = QStringLiteral("Save Profile File");
    request.Filter = ProfilesFileFilter();
    request.DefaultExtension = QStringLiteral("bcp");
    request.InitialDir = shell_.Settings().ProfilesFolder;
    request.ConfirmOverwrite = true;
    if (!Dialogs().GetSaveFileName(this, request))
        return;
    // The file holds what the fields show, applied or not.
    StoreFields();
    if (SaveProfilesFile(table_, request.FileName))
        shell_.Settings().ProfilesFolder =
            QFileInfo(request.FileName).absolutePath() + QLatin1Char('/');
}

bool TFProfile::OfflineCheck() {
    if (driver_.Online())
        return false;
    shell_.ConfigureForDevice();
    CloseSelf();
    return true;
}

void TFProfile::CloseSelf() {
    ChildFrame(this)->close();
}

} // namespace kelm
