#include "ui/shell/Principale.h"

#include "ui/journal/ChangesWindow.h"
#include "ui/machine/MachineFlows.h"
#include "ui/widgets/GreyedIcon.h"
#include "ui/widgets/GrowToContent.h"
#include "ui/widgets/ScreenFit.h"

#include "core/common/KindDescriptor.h"
#include "core/config/ConfigurationSet.h"
#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "core/seams/Messages.h"
#include "core/settings/SettingsStore.h"
#include "ui/scope/OscilloWindow.h"
#include "ui/shell/ProgramSession.h"
#include "ui/shell/StatusPanelView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <array>
#include <utility>

namespace kelm {
namespace {

constexpr std::array<int, 10> panelWidths{40, 50, 40, 45, 55, 30, 40, 50, 60, 100};
const char* const panelCaptions[10] = {"User", "",       "Port", "",          "Id Device",
                                       "",     "Status", "",     "Dev. File", ""};

const QString hideStatus = QStringLiteral("Hide Status");
const QString viewStatus = QStringLiteral("View Status");
const QString viewStatusAlarm = QStringLiteral("View Status - ALARMS ! -");

} // namespace

TFPrincipale::TFPrincipale(ShellFlows flows, PrincipaleOptions options, QWidget* parent)
    : QMainWindow(parent), flows_(std::move(flows)), options_(std::move(options)) {
    if (const QStringList missing = MissingFlows(flows_); !missing.isEmpty())
        qFatal("The main window lacks the flows %s", qPrintable(missing.join(QLatin1Char(' '))));
    setObjectName(QStringLiteral("TFPrincipale"));
    setWindowTitle(QString::fromLatin1(Caption));
    // The main window's first place and size; the user may move it.
    move(10, 10);
    resize(900, 700);

    frame_ = new QMdiArea(this);
    frame_->setObjectName(QStringLiteral("Frame"));
    setCentralWidget(frame_);
    KeepChildWindowsInside(*frame_);
    KeepWindowsOnScreen();
    GrowWithContent(*this);
    PlaceChildWindows(*frame_, [this]() -> QRect {
        const QWidget* panel = findChild<QDockWidget*>(QStringLiteral("RightPanel"));
        return panel != nullptr && StatusPanelShown()
                   ? QRect(panel->mapToGlobal(QPoint()), panel->size())
                   : QRect();
    });
    BuildStatusBar();
    actions_ = std::make_unique<CommandActions>(*this, [this](Command c) { Run(c); });
    BuildMenus();
    BuildToolBar();
    startTimer_ = new QTimer(this);
    startTimer_->setObjectName(QStringLiteral("Timer1"));
    startTimer_->setSingleShot(true);
    connect(startTimer_, &QTimer::timeout, this, &TFPrincipale::StartTimerFired);

    // The settings store, the drive model and the serial master (the user level
    // starts Normal). The drive model's calls into the window wait until it is built.
    SessionOptions session{options_.ExecutableFolder, options_.SettingsFile, options_.MakeChannel};
    SessionWindowCalls calls{[this] { ConfigureForDevice(); },
                             [this](WindowsToClose windows) { CloseChildWindows(windows); }};
    session_ = std::make_unique<ProgramSession>(std::move(session), std::move(calls));
    // A request dropped by the write gate is said in the status bar (from either thread).
    session_->Driver().Gate().SetNoteSink([this](const QString& note) {
        QMetaObject::invokeMethod(
            this, [this, note] { ShowStatusMessage(note); }, Qt::QueuedConnection);
    });
    commands_ = std::make_unique<CommandController>(
        *session_, *this, flows_, CommandOptions{options_.OpenExternal, options_.BootPauseMs});
    AddChangeCountField(*statusBar(), *session_); // "Changes: N" of this run

    // The right-hand panel (built once the drive model exists: its content reads it).
    BuildRightPanel();
    UpdateAlarmIndicator(false);
    connect(session_.get(), &ProgramSession::Changed, this, &TFPrincipale::Render);

    // The status bar shows the session from here on.
    SetFileDialogsForDevice();
    ConfigureForDevice();
}

TFPrincipale::~TFPrincipale() {
    Shutdown();
}

// --- construction ------------------------------------------------------------------------

void TFPrincipale::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < 10; ++i) {
        auto* label = new QLabel(QString::fromLatin1(panelCaptions[i]), bar);
        label->setObjectName(QStringLiteral("Panel%1").arg(i));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(panelWidths[static_cast<std::size_t>(i)]);
        bar->addWidget(label, i == 9 ? 1 : 0);
        panels_[static_cast<std::size_t>(i)] = label;
    }
    panels_[StatusPanel::LineState]->setText(QStringLiteral("Off Line"));
    unsaved_ = new QLabel(bar);
    unsaved_->setObjectName(QStringLiteral("PUnsaved"));
    unsaved_->setFrameShape(QFrame::Panel);
    unsaved_->setFrameShadow(QFrame::Sunken);
    unsaved_->hide();
    bar->addPermanentWidget(unsaved_);
}

void TFPrincipale::BuildMenus() {
    QMenuBar* bar = menuBar();
    const auto add = [this](QMenu* menu, Command c) { menu->addAction(MenuAction(c)); };

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("MFile"));
    for (Command c : {Command::Open, Command::Save, Command::SaveAs})
        add(file, c);
    file->addSeparator();
    add(file, Command::FileCompare);
    add(file, Command::Report);
    file->addSeparator();
    // The whole link at once; offered while a link port is selected.
    const std::array<std::pair<const char*, void (*)(ShellHost&)>, 3> machine{{
        {"Save &Machine\u2026", &MachineFlows::SaveMachine},
        {"Compa&re Machine\u2026", &MachineFlows::CompareMachine},
        {"Open Mac&hine\u2026", &MachineFlows::OpenMachine},
    }};
    for (const auto& [text, run] : machine) {
        QAction* action =
            file->addAction(QString::fromUtf8(text), this, [this, run] { run(*this); });
        connect(file, &QMenu::aboutToShow, action,
                [this, action] { action->setEnabled(MachineFlows::Available(*this)); });
    }
    file->addSeparator();
    add(file, Command::Exit);

    QMenu* users = bar->addMenu(QStringLiteral("&Users"));
    users->setObjectName(QStringLiteral("MUsers"));
    add(users, Command::UserChange);

    QMenu* settings = bar->addMenu(QStringLiteral("&Settings"));
    settings->setObjectName(QStringLiteral("MSettings"));
    add(settings, Command::GeneralSettings);
    add(settings, Command::ComPort);
    tarnSeparator_ = settings->addSeparator();
    tarnSeparator_->setObjectName(QStringLiteral("NTarn"));
    add(settings, Command::TarnPort);

    driveMenu_ = bar->addMenu(QStringLiteral("D&rive"));
    driveMenu_->setObjectName(QStringLiteral("MDrive"));
    for (Command c :
         {Command::SelectDrive, Command::SelectTarnLink, Command::DriveCompare, Command::Changes})
        add(driveMenu_, c);
    guidedSetup_ = driveMenu_->addAction(QStringLiteral("&Guided Setup"));
    guidedSetup_->setObjectName(QStringLiteral("MGuided"));
    connect(guidedSetup_, &QAction::triggered, this,
            [this] { commands_->OpenWindow(QStringLiteral("GuidedSetup")); });
    driveMenu_->addSeparator();
    add(driveMenu_, Command::Enable);
    add(driveMenu_, Command::Disable);

    tuningMenu_ = bar->addMenu(QStringLiteral("&Tuning"));
    tuningMenu_->setObjectName(QStringLiteral("MTuning"));
    for (Command c : {Command::MotorPhasing, Command::SpeedOffset, Command::TorqueOffset})
        add(tuningMenu_, c);

    QMenu* scope = bar->addMenu(QStringLiteral("&Oscilloscope"));
    scope->setObjectName(QStringLiteral("MOscilloscope"));
    add(scope, Command::ScopeOpenFile);

    diagnosticMenu_ = bar->addMenu(QStringLiteral("&Diagnostic"));
    diagnosticMenu_->setObjectName(QStringLiteral("MDiagnostic"));
    add(diagnosticMenu_, Command::DiagnosticView);
    add(diagnosticMenu_, Command::DiagnosticClose);

    // The oscilloscope beside the open loop page: gains and traces seen together.
    QMenu* windows = bar->addMenu(QStringLiteral("&Window"));
    windows->setObjectName(QStringLiteral("MWindow"));
    QAction* tile =
        windows->addAction(QStringLiteral("&Tile"), this, [this] { TileOscilloscope(*this); });
    tile->setObjectName(QStringLiteral("MTile"));

    bar->addAction(MenuAction(Command::About));
}

void TFPrincipale::BuildToolBar() {
    QToolBar* toolBar = addToolBar(QStringLiteral("Tools"));
    toolBar->setObjectName(QStringLiteral("ToolBar"));
    toolBar->setMovable(false);
    QStyle* s = style();
    const auto add = [&](Command c, QStyle::StandardPixmap icon) {
        QAction* action = ButtonAction(c);
        action->setIcon(GreyedWhenDisabled(s->standardIcon(icon)));
        toolBar->addAction(action);
        auto* button = qobject_cast<QToolButton*>(toolBar->widgetForAction(action));
        if (button != nullptr) {
            button->setObjectName(action->objectName());
            button->setToolButtonStyle(InfoOf(c).ButtonText[0] != '\0'
                                           ? Qt::ToolButtonTextBesideIcon
                                           : Qt::ToolButtonIconOnly);
        }
    };
    add(Command::NewTable, QStyle::SP_FileIcon);
    add(Command::Open, QStyle::SP_DialogOpenButton);
    add(Command::Save, QStyle::SP_DialogSaveButton);
    add(Command::SaveAs, QStyle::SP_DialogSaveButton);
    toolBar->addSeparator();
    add(Command::SelectDrive, QStyle::SP_ComputerIcon);
    add(Command::SelectTarnLink, QStyle::SP_DriveNetIcon);
    add(Command::GeneralSettings, QStyle::SP_FileDialogInfoView);
    toolBar->addSeparator();
    add(Command::SaveEeprom, QStyle::SP_DriveFDIcon);
    add(Command::LoadEeprom, QStyle::SP_BrowserReload);
    add(Command::LoadDefaults, QStyle::SP_DialogResetButton);
    add(Command::ResetDrive, QStyle::SP_BrowserStop);
    toolBar->addSeparator();
    add(Command::Diagnostic, QStyle::SP_FileDialogDetailedView);
    add(Command::ProfileTool, QStyle::SP_FileDialogListView);
    add(Command::Oscilloscope, QStyle::SP_MediaPlay);
    add(Command::Bootloader, QStyle::SP_ArrowUp);
}

void TFPrincipale::BuildRightPanel() {
    auto* dock = new QDockWidget(this);
    dock->setObjectName(QStringLiteral("RightPanel"));
    dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    dock->setTitleBarWidget(new QWidget(dock));
    auto* holder = new QWidget(dock);
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    viewInfo_ = new QPushButton(hideStatus, holder);
    viewInfo_->setObjectName(QStringLiteral("PViewInfo"));
    viewInfo_->setFlat(true);
    viewInfo_->setAutoDefault(false);
    viewInfo_->setFocusPolicy(Qt::NoFocus);
    viewInfo_->setStyleSheet(
        QStringLiteral("QPushButton { background: #1f3a73; color: white; border: none; "
                       "font-weight: bold; padding: 4px; }"));
    connect(viewInfo_, &QPushButton::clicked, this, &TFPrincipale::ViewInfoClick);
    layout->addWidget(viewInfo_);

    statusPanel_ = flows_.MakeStatusPanel(*this, holder);
    // BAllarm: the alarm window, brought up or created.
    statusPanel_->SetAlarmAction([this] { flows_.ShowAlarmWindow(*this); });
    panelContent_ = statusPanel_->Widget();
    panelContent_->setObjectName(panelContent_->objectName().isEmpty()
                                     ? QStringLiteral("PInfo")
                                     : panelContent_->objectName());
    layout->addWidget(panelContent_);
    layout->addStretch(1);
    viewInfo_->setMinimumWidth(panelContent_->sizeHint().width() - 2);
    // On a low screen the panel scrolls, so the status bar stays in sight.
    QScrollArea* scroll = ScrollDownOnly(*holder, dock);
    scroll->setObjectName(QStringLiteral("RightPanelScroll"));
    dock->setWidget(scroll);
    addDockWidget(Qt::RightDockWidgetArea, dock);
}

// --- the session: state others report ---------------------------------------------------

void TFPrincipale::HoldDriveRequests(bool held) {
    if (!session_)
        return;
    session_->SetDriveRequestsHeld(held);
    statusPanel_->SetRequestButtonsEnabled(
        ComputeCommandStates(GatherInputs()).Panel.EnableButtonsEnabled);
}

void TFPrincipale::HoldAlarmButton(bool held) {
    if (!session_)
        return;
    session_->SetAlarmButtonHeld(held);
    statusPanel_->SetAlarmButtonEnabled(
        ComputeCommandStates(GatherInputs()).Panel.AlarmButtonEnabled);
}

// --- rendering ----------------------------------------------------------------------------

QString TFPrincipale::StatusPanelText(int panel) const {
    if (panel < 0 || panel >= 10)
        return {};
    return panels_[static_cast<std::size_t>(panel)]->text();
}

QString TFPrincipale::UnsavedText() const {
    return unsaved_->isHidden() ? QString() : unsaved_->text();
}

void TFPrincipale::ShowStatusMessage(const QString& text) {
    if (text.isEmpty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(text);
}

CommandInputs TFPrincipale::GatherInputs() const {
    CommandInputs in;
    const TDriver& driver = session_->Driver();
    const ConfigurationSet& config = driver.Config();
    in.Kind = driver.CurrentKind();
    in.Online = driver.Online();
    in.Expert = session_->IsExpert();
    in.ModelFamily = in.Online ? driver.GetModelFamily() : 0;
    in.DriveCompareOpen = session_->CompareOpen();
    in.FileCompareOpen = session_->DriveCompareOpen();
    // A closed oscilloscope is hidden until the frame lets go of it.
    const QMdiSubWindow* scope = FindChildWindow(QStringLiteral("TFOscillo"));
    in.OscilloscopeOpen = session_->OscilloscopeOpen() || (scope != nullptr && !scope->isHidden());
    const BootloaderRecord* boot = config.CurrentBootloader();
    in.BootRecordUsable = boot != nullptr && !boot->Text.isEmpty();
    in.SaveEnabled = session_->SaveEnabled();
    in.DiagnosticMenuVisible = session_->DiagnosticMenuVisible();
    in.DriveRequestsHeld = session_->DriveRequestsHeld();
    in.AlarmButtonHeld = session_->AlarmButtonHeld();
    in.UnitAddress = session_->Master().UnitAddress();
    if (const ParamEntry* base =
            config.KindTable(DeviceKind::Power).FindByAddress(TheLinkRegisters().BaseAddress))
        in.LinkBaseAddress = base->DefaultValue;
    const AnalogOutLabels& labels = config.AnalogLabels(in.Kind);
    in.Labels1 = labels.First;
    in.Labels2 = labels.Second;
    return in;
}

void TFPrincipale::Render() {
    if (!session_ || !statusPanel_)
        return;
    ApplyCommandStates();
    RenderStatusBar();
}

void TFPrincipale::ApplyCommandStates() {
    const CommandStates states = ComputeCommandStates(GatherInputs());
    actions_->Apply(states);
    tarnSeparator_->setVisible(states[Command::TarnPort].Visible);
    driveMenu_->setTitle(states.DriveMenuCaption);
    tuningMenu_->menuAction()->setVisible(states.TuningMenuVisible);
    diagnosticMenu_->menuAction()->setVisible(states.DiagnosticMenuVisible);
    MenuAction(Command::UserChange)->setText(states.UserItemCaption);
    const TDriver& driver = session_->Driver();
    guidedSetup_->setEnabled(driver.Online() && driver.CurrentKind() != DeviceKind::Power);
    // The locked mark keeps every main-menu item disabled, whatever the states say; without
    // it the menus are enabled (the items of the bar that are commands follow their rules).
    const bool locked = session_->MenuLocked();
    for (QAction* item : menuBar()->actions())
        if (locked || item->menu() != nullptr)
            item->setEnabled(!locked);
}

void TFPrincipale::RenderStatusBar() {
    const auto panel = [this](int index) { return panels_[static_cast<std::size_t>(index)]; };
    panel(StatusPanel::UserLevel)
        ->setText(session_->IsExpert() ? QStringLiteral("Expert") : QStringLiteral("Normal"));
    panel(StatusPanel::ComPort)
        ->setText(QStringLiteral(" Com") + QString::number(session_->Settings().ComPort));
    // The drive as ConfigureForDevice last laid it out.
    CommandInputs shown = GatherInputs();
    shown.Online = session_->Shown().Online;
    shown.Kind = session_->Shown().Kind;
    shown.UnitAddress = session_->Shown().Address;
    const CommandStates states = ComputeCommandStates(shown);
    panel(StatusPanel::DeviceId)->setMinimumWidth(states.DeviceIdWidth);
    panel(StatusPanel::DeviceId)->setText(states.DeviceIdText);
    panel(StatusPanel::LineState)->setText(states.LineStateText);
    const QString file = session_->Driver().CurrentFileName;
    panel(StatusPanel::DeviceFile)
        ->setText(file.isEmpty() ? QString() : QFileInfo(file).fileName());
    const QString unsaved = UnsavedChanges::StatusText(session_->Unsaved().Count());
    unsaved_->setText(unsaved);
    unsaved_->setVisible(!unsaved.isEmpty());
}

void TFPrincipale::ConfigureForDevice() {
    if (!session_ || !statusPanel_)
        return; // still building, or closed
    const CommandInputs inputs = GatherInputs();
    session_->SetShown({inputs.Online, inputs.Kind, inputs.UnitAddress});
    statusPanel_->ApplyLayout(ComputeCommandStates(inputs).Panel);
    UpdateAlarmIndicator(false);
    children_.NotifyOnline(inputs.Online);
}

// --- right-hand panel ----------------------------------------------------------------------

QString TFPrincipale::ViewInfoCaption() const {
    return viewInfo_->text();
}

bool TFPrincipale::StatusPanelShown() const {
    return !panelContent_->isHidden();
}

void TFPrincipale::ViewInfoClick() {
    if (viewInfo_->text() == hideStatus) {
        panelContent_->hide();
        viewInfo_->setText(viewStatus);
    } else {
        panelContent_->show();
        viewInfo_->setText(hideStatus);
    }
}

void TFPrincipale::UpdateAlarmIndicator(bool alarm) {
    if (!statusPanel_)
        return;
    if (alarm && statusPanel_->AlarmButtonEnabled()) {
        statusPanel_->ShowAlarmState(true);
        if (viewInfo_->text() == viewStatus)
            viewInfo_->setText(viewStatusAlarm);
    } else {
        statusPanel_->ShowAlarmState(false);
        if (viewInfo_->text() == viewStatusAlarm)
            viewInfo_->setText(viewStatus);
    }
}

void TFPrincipale::StatusRefresh() {
    if (!session_ || !statusPanel_)
        return;
    UpdateAlarmIndicator(statusPanel_->Refresh());
    flows_.AfterStatusRefresh(*this);
}

// --- child windows ------------------------------------------------------------------------

QMdiSubWindow* TFPrincipale::FindChildWindow(const QString& name) const {
    return FindSubWindow(*frame_, name);
}

bool TFPrincipale::BringToFront(const QString& name) {
    return BringSubWindowToFront(*frame_, name);
}

void TFPrincipale::CloseChildWindows(WindowsToClose windows) {
    children_.CloseAll(windows.Pages, windows.Profile);
}

// --- start and close ----------------------------------------------------------------------

void TFPrincipale::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FirstShow();
    }
}

void TFPrincipale::FirstShow() {
    // As large as the menus and the tool bar need; the screen bounds it.
    resize(size().expandedTo(sizeHint()));
    // The main parameter page opens first.
    commands_->OpenWindow(QStringLiteral("TFMainDev"));
    // Then the homing and oscilloscope configuration; a failure has shown its messages and
    // asked the program to end (the steps below still run, as the program ends when this
    // handler returns to the event loop).
    session_->Driver().Config().LoadAtMainWindowShow(session_->Settings().InstallFolder);
    // The expert word on the command line (program path included) raises the user level.
    for (const QString& argument : options_.Arguments)
        if (argument.toLower() == QLatin1String("travik"))
            session_->SetUserLevel(UserLevel::Expert);
    ApplyUserLevel();
    // No input until the start timer has fired.
    startTimer_->start(options_.StartDelayMs);
    frame_->setEnabled(false);
    setEnabled(false);
    // The status panel starts hidden.
    ViewInfoClick();
}

void TFPrincipale::StartTimerFired() {
    startTimer_->stop();
    frame_->setEnabled(true);
    setEnabled(true);
    started_ = true;
    if (TerminateRequested() || !session_)
        return;
    SelectDrive();
}

void TFPrincipale::closeEvent(QCloseEvent* event) {
    // Changes still only in the drive's RAM are offered for saving; Cancel keeps the program.
    if (commands_ && !commands_->OfferEepromSave()) {
        event->ignore();
        return;
    }
    Shutdown();
    event->accept();
}

void TFPrincipale::Shutdown() {
    if (!session_)
        return;
    startTimer_->stop();
    CloseChildWindows({.Profile = true});
    // The oscilloscope stops the recorder and saves its settings while the drive model
    // exists; it goes now, not at the next turn of the event loop.
    if (QMdiSubWindow* scope = FindChildWindow(QStringLiteral("TFOscillo"))) {
        scope->close();
        delete scope;
    }
    // Every child window refers to the drive model, so none may outlive it: closed ones
    // still waiting for their deferred deletion go now too.
    QList<QPointer<QMdiSubWindow>> children;
    for (QMdiSubWindow* child : Frame()->findChildren<QMdiSubWindow*>())
        children.append(child);
    for (const QPointer<QMdiSubWindow>& child : children)
        delete child.data();
    // The serial port goes first (closed, its previous line settings restored), then the
    // status panel takes its poll body off the drive model, then the session lets go of the
    // drive model and the settings store, which writes the settings back.
    session_->StopWork();
    statusPanel_.reset();
    commands_.reset();
    session_.reset();
    emit ShutDown();
}

} // namespace kelm
