#include "ui/profile/TFProfile.h"
#include "ui/widgets/ChangeMark.h"

#include "core/drive/TDriver.h"
#include "core/files/ProfilesFile.h"
#include "core/params/ParamTable.h"
#include "core/rules/ProfileRules.h"
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
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace kelm {

using namespace profile;

namespace {

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
    : QWidget(parent), shell_(shell), driver_(shell.Driver()) {
    setObjectName(QStringLiteral("TFProfile"));
    setWindowTitle(QStringLiteral(" Kelm  Profile Tool"));
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    setAutoFillBackground(true);

    TDriver& driver = driver_;
    ProfileSession::Link link;
    link.Online = [&driver] { return driver.Online(); };
    link.WriteChanged = [&driver] { return driver.WriteChangedProfiles(); };
    link.SaveToFlash = [&driver] { return driver.FlashCommand(TDriver::CmdSaveProfiles); };
    link.LoadFromFlash = [&driver] { return driver.FlashCommand(TDriver::CmdLoadProfiles); };
    link.Transfer = [transfer = std::move(transfer)](bool write) {
        transfer(write ? ProgressMode::WriteProfiles : ProgressMode::ReadProfiles);
    };
    session_ = std::make_shared<ProfileSession>(driver_.ProfileTable(), std::move(link));
    session_->SetShowAgain([this] {
        LoadHeader();
        LoadTask(session_->ShownTask());
    });

    speedErrorTimer_ = new QTimer(this);
    speedErrorTimer_->setObjectName(QStringLiteral("TSpeedErr"));
    speedErrorTimer_->setSingleShot(true);
    speedErrorTimer_->setInterval(100);
    connect(speedErrorTimer_, &QTimer::timeout, this, [this] { ReportSpeedOverMax(); });

    chart_ = new ProfileChart(this);
    chart_->setObjectName(QStringLiteral("MyGraph"));
    auto* body = new QHBoxLayout;
    body->addWidget(chart_, 1);
    body->addWidget(BuildTaskPanel());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildHeader());
    layout->addLayout(body, 1);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
}

TFProfile::~TFProfile() {
    session_->Detach();
    // Leaving a field while the window goes away writes nothing.
    for (TPNumEdit* field : headerFields_)
        field->SetExitHandler({});
}

TPNumEdit* TFProfile::NewField(const char* name, ProfileSession::Range range) {
    auto* field = new TPNumEdit(this);
    field->setObjectName(QString::fromLatin1(name));
    field->WrMin(range.Min);
    field->WrMax(range.Max);
    field->SetIsNegative(range.Min < 0);
    // As wide as the longest number of the range.
    const qsizetype digits = std::max<qsizetype>(
        {QString::number(range.Min).size(), QString::number(range.Max).size(), 5});
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
    QPushButton* open =
        button("BOpen", QStringLiteral("&Open"), QStringLiteral("Open Profile File"));
    QPushButton* saveAs =
        button("BSaveAs", QStringLiteral("&Save as"), QStringLiteral("Save Profile File"));
    QPushButton* saveFlash =
        button("BSaveFl", QStringLiteral("Save to &Flash"), QStringLiteral("Save Data To FLASH"));
    QPushButton* loadFlash = button("BLoadFl", QStringLiteral("&Load from Flash"),
                                    QStringLiteral("Load Data From FLASH"));
    connect(open, &QPushButton::clicked, this, [this] { OpenClicked(); });
    connect(saveAs, &QPushButton::clicked, this, [this] { SaveAsClicked(); });
    connect(saveFlash, &QPushButton::clicked, this, [this] { SaveToFlashClicked(); });
    connect(loadFlash, &QPushButton::clicked, this, [this] { LoadFromFlashClicked(); });
    grid->addWidget(open, 0, 0);
    grid->addWidget(saveAs, 1, 0);
    grid->addWidget(saveFlash, 0, 1);
    grid->addWidget(loadFlash, 1, 1);

    const char* names[] = {"EFirst", "EPStop", "ENStop"};
    for (std::size_t i = 0; i < headerFields_.size(); ++i) {
        const auto which = static_cast<Header>(i);
        TPNumEdit* field = NewField(names[i], ProfileSession::RangeOf(which));
        field->SetChangeHandler([](TPNumEdit& f) { f.SetMarked(true); });
        field->SetKeyHandler([this, which](TPNumEdit&, QKeyEvent& key) {
            if (!IsEnter(key))
                return false;
            CommitHeader(which);
            return true;
        });
        field->SetExitHandler([this, which](TPNumEdit&) { CommitHeader(which); });
        headerFields_[i] = field;
    }
    maxSpeedField_ = new QLineEdit(bar);
    maxSpeedField_->setObjectName(QStringLiteral("MSpeed"));
    maxSpeedField_->setReadOnly(true);
    maxSpeedField_->setFixedWidth(headerFields_[0]->width());
    const auto caption = [bar](const char* text) {
        return new QLabel(QString::fromLatin1(text), bar);
    };
    grid->setColumnMinimumWidth(2, 12);
    grid->addWidget(caption("First Profile"), 0, 3);
    grid->addWidget(headerFields_[0], 0, 4);
    grid->addWidget(caption("Max Position Speed"), 1, 3);
    grid->addWidget(maxSpeedField_, 1, 4);
    grid->addWidget(caption("RPM"), 1, 5);
    grid->setColumnMinimumWidth(6, 12);
    grid->addWidget(caption("PSTOP Software"), 0, 7);
    grid->addWidget(headerFields_[1], 0, 8);
    grid->addWidget(caption("pulses"), 0, 9);
    grid->addWidget(caption("NSTOP Software"), 1, 7);
    grid->addWidget(headerFields_[2], 1, 8);
    grid->addWidget(caption("pulses"), 1, 9);
    grid->setColumnStretch(10, 1);
    return bar;
}

QWidget* TFProfile::BuildTaskPanel() {
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    taskList_ = NewList(QStringLiteral("CActProf"), panel);
    successorList_ = NewList(QStringLiteral("CSucc"), panel);
    successorList_->addItem(QStringLiteral("None"));
    for (int k = 0; k < TaskCount; ++k) {
        taskList_->addItem(TaskCaption(k));
        successorList_->addItem(TaskCaption(k));
    }
    connect(taskList_, &QComboBox::currentIndexChanged, this, [this] { TaskChosen(); });
    connect(successorList_, &QComboBox::activated, this,
            [this] { MarkChanged(successorList_, true); });

    const char* names[] = {"EPosEnd", "ESpd", "EAcc", "EDec", "EWPos", "EWTime", "EDelay"};
    for (std::size_t i = 0; i < taskFields_.size(); ++i) {
        const auto field = static_cast<Field>(i);
        taskFields_[i] = NewField(names[i], ProfileSession::RangeOf(field));
        if (field == Field::Speed)
            taskFields_[i]->SetChangeHandler([this](TPNumEdit&) { SpeedEdited(); });
        else if (field == Field::Acc || field == Field::Dec)
            taskFields_[i]->SetChangeHandler([this](TPNumEdit& f) {
                Redraw();
                f.SetMarked(true);
            });
        else
            taskFields_[i]->SetChangeHandler([](TPNumEdit& f) { f.SetMarked(true); });
    }

    speedCaption_ = new QLabel(QStringLiteral("Speed (RPM) "), panel);
    speedCaption_->setObjectName(QStringLiteral("LSpd"));
    speedCaption_->setAutoFillBackground(true);
    PaintCaption(speedCaption_, false);
    int row = 0;
    grid->addWidget(taskList_, row++, 0, 1, 2);
    const auto add = [&](QWidget* caption, QWidget* field) {
        grid->addWidget(caption, row, 0);
        grid->addWidget(field, row++, 1);
    };
    const auto caption = [panel](const char* text) {
        return new QLabel(QString::fromLatin1(text), panel);
    };
    add(caption("Final Position (pulses) "), TaskField(Field::Position));
    add(speedCaption_, TaskField(Field::Speed));
    add(caption("Acc. Time (ms) "), TaskField(Field::Acc));
    add(caption("Dec. Time (ms) "), TaskField(Field::Dec));
    add(caption("Window Pos. (pulses)"), TaskField(Field::Window));
    add(caption("Window Time (ms)"), TaskField(Field::WindowTime));
    add(caption("Delay Time  (ms)"), TaskField(Field::Delay));
    add(caption(" Next Profile "), successorList_);
    grid->setRowStretch(row++, 1);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), panel);
    cancel->setObjectName(QStringLiteral("BCancel"));
    auto* apply = new QPushButton(QStringLiteral("&Apply"), panel);
    apply->setObjectName(QStringLiteral("BApply"));
    connect(cancel, &QPushButton::clicked, this, [this] { CancelClicked(); });
    connect(apply, &QPushButton::clicked, this, [this] { ApplyClicked(); });
    grid->addWidget(cancel, row, 0);
    grid->addWidget(apply, row, 1);
    return panel;
}

// --- loading and storing -------------------------------------------------------------------

void TFProfile::ReadSpeedLimit() {
    const ParamEntry* limit = driver_.ActiveTable().FindByAddress(MaxSpeedRegister);
    session_->SetSpeedLimit(limit != nullptr ? limit->Value : std::int16_t{0});
    maxSpeedField_->setText(QString::number(session_->MaxSpeed()));
}

void TFProfile::ShowData() {
    ReadSpeedLimit();
    LoadHeader();
    LoadTask(0);
}

void TFProfile::RefreshSpeedLimit() {
    StoreFields();
    const int task = session_->ShownTask();
    ReadSpeedLimit();
    LoadHeader();
    LoadTask(task);
}

void TFProfile::LoadHeader() {
    for (std::size_t i = 0; i < headerFields_.size(); ++i) {
        const auto which = static_cast<Header>(i);
        headerFields_[i]->WrValore(session_->HeaderValue(which));
        headerFields_[i]->SetMarked(session_->HeaderMarked(which));
    }
}

void TFProfile::LoadTask(int task) {
    const ProfileSession::TaskView view = session_->LoadTask(task);
    {
        const QSignalBlocker quiet(taskList_);
        taskList_->setCurrentIndex(session_->ShownTask());
    }
    TPNumEdit* speed = TaskField(Field::Speed);
    speed->WrMax(view.SpeedMax);
    PaintCaption(speedCaption_, view.SpeedOverMax);
    if (view.SpeedOverMax) {
        speedErrorTimer_->start();
        setEnabled(false);
    }
    for (std::size_t i = 0; i < taskFields_.size(); ++i)
        taskFields_[i]->WrValore(view.Values[i]);
    successorList_->setCurrentIndex(view.Successor);
    Recolour();
    Redraw();
}

ProfileSession::TaskValues TFProfile::ShownValues() const {
    ProfileSession::TaskValues values{};
    for (std::size_t i = 0; i < taskFields_.size(); ++i)
        values[i] = taskFields_[i]->RdValore();
    return values;
}

void TFProfile::StoreFields() {
    session_->StoreTask(ShownValues(), successorList_->currentIndex());
}

void TFProfile::Recolour() {
    MarkChanged(successorList_, session_->SuccessorMarked());
    const ProfileSession::TaskMarks marks = session_->Marks();
    for (std::size_t i = 0; i < taskFields_.size(); ++i)
        taskFields_[i]->SetMarked(marks[i]);
}

// --- handlers ------------------------------------------------------------------------------

void TFProfile::TaskChosen() {
    StoreFields();
    LoadTask(std::max(0, taskList_->currentIndex()));
}

void TFProfile::SpeedEdited() {
    TPNumEdit* speed = TaskField(Field::Speed);
    if (speed->RdValore() < session_->MaxSpeed()) {
        speed->WrMax(session_->MaxSpeed());
        PaintCaption(speedCaption_, false);
    }
    Redraw();
    speed->SetMarked(true);
}

void TFProfile::Redraw() {
    chart_->Draw(TaskField(Field::Speed)->RdValore(), TaskField(Field::Acc)->RdValore(),
                 TaskField(Field::Dec)->RdValore(), session_->MaxSpeed());
}

void TFProfile::ReportSpeedOverMax() {
    setEnabled(true);
    session_->ReportSpeedOverMax();
}

// Never called with Closed: the window is gone then.
bool TFProfile::Follow(Outcome outcome, bool closeOnFailure) {
    switch (outcome) {
    case Outcome::Done:
        return true;
    case Outcome::Offline:
        shell_.ConfigureForDevice();
        CloseSelf();
        return false;
    case Outcome::Failed:
        if (closeOnFailure)
            CloseSelf();
        return false;
    case Outcome::Refused:
    case Outcome::Closed:
        break;
    }
    return false;
}

void TFProfile::CommitHeader(Header field) {
    const std::shared_ptr<ProfileSession> session = session_;
    const std::int32_t shown = headerFields_[static_cast<std::size_t>(field)]->RdValore();
    if (const Outcome outcome = session->CommitHeader(field, shown);
        outcome != Outcome::Closed && Follow(outcome))
        LoadHeader();
}

void TFProfile::ApplyClicked() {
    const std::shared_ptr<ProfileSession> session = session_;
    const Outcome outcome = session->Apply(ShownValues(), successorList_->currentIndex());
    if (outcome != Outcome::Closed && Follow(outcome, true))
        LoadTask(session->ShownTask());
}

void TFProfile::CancelClicked() {
    session_->Cancel();
    LoadTask(session_->ShownTask());
}

void TFProfile::SaveToFlashClicked() {
    const std::shared_ptr<ProfileSession> session = session_;
    if (const Outcome outcome = session->SaveToFlash(); outcome != Outcome::Closed)
        Follow(outcome);
}

void TFProfile::LoadFromFlashClicked() {
    const std::shared_ptr<ProfileSession> session = session_;
    if (const Outcome outcome = session->LoadFromFlash(); outcome != Outcome::Closed)
        Follow(outcome);
}

void TFProfile::OpenClicked() {
    FileDialogRequest request;
    request.Caption = QStringLiteral("Open Profile File");
    request.Filter = ProfilesFileFilter();
    request.DefaultExtension = QStringLiteral("bcp");
    request.InitialDir = shell_.Settings().ProfilesFolder;
    if (!Dialogs().GetOpenFileName(this, request))
        return;
    if (ProfileSession::HasProfilesExtension(request.FileName))
        shell_.Settings().ProfilesFolder =
            QFileInfo(request.FileName).absolutePath() + QLatin1Char('/');
    const std::shared_ptr<ProfileSession> session = session_;
    if (const Outcome outcome = session->OpenFile(request.FileName); outcome != Outcome::Closed)
        Follow(outcome);
}

void TFProfile::SaveAsClicked() {
    FileDialogRequest request;
    request.Caption = QStringLiteral("Save Profile File");
    request.Filter = ProfilesFileFilter();
    request.DefaultExtension = QStringLiteral("bcp");
    request.InitialDir = shell_.Settings().ProfilesFolder;
    request.ConfirmOverwrite = true;
    if (!Dialogs().GetSaveFileName(this, request))
        return;
    if (session_->SaveFile(request.FileName, ShownValues(), successorList_->currentIndex()))
        shell_.Settings().ProfilesFolder =
            QFileInfo(request.FileName).absolutePath() + QLatin1Char('/');
}

void TFProfile::CloseSelf() {
    ChildFrame(this)->close();
}

} // namespace kelm
