#include "ui/shell/Principale.h"
#include "ui/widgets/GrowToContent.h"

#include "core/config/ConfigurationSet.h"
#include "core/drive/SynchronizedCaller.h"
#include "core/drive/TDriver.h"
#include "core/files/DeviceFile.h"
#include "core/link/ModbusMaster.h"
#include "core/link/PortNames.h"
#include "core/link/PosixSerialChannel.h"
#include "core/seams/Messages.h"
#include "core/settings/DevicesFolder.h"
#include "core/settings/SettingsStore.h"
#include "ui/shell/BasicStatusPanel.h"
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
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
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
    setObjectName(QStringLiteral("TFPrincipale"));
    setWindowTitle(QString::fromLatin1(Caption));
    // 1. Position and size.
    move(10, 10);
    resize(900, 700);

    frame_ = new QMdiArea(this);
    frame_->setObjectName(QStringLiteral("Frame"));
    setCentralWidget(frame_);
    KeepChildWindowsInside(*frame_);
    BuildStatusBar();
    BuildActions();
    BuildMenus();
    BuildToolBar();

    // 2. Link-port menu item and its separator hidden (ApplyCommandStates keeps them so).
    // 3. File filter of the parameter-file dialogs.
    fileFilter_ = DeviceFileFilters().join(QStringLiteral(";;"));

    // 4. Settings store.
    settings_ = std::make_unique<SettingsStore>(
        options_.ExecutableFolder.isEmpty() ? SettingsStore::DefaultExecutableFolder()
                                            : options_.ExecutableFolder,
        options_.SettingsFile.isEmpty() ? SettingsStore::DefaultSettingsFile()
                                        : options_.SettingsFile);

    caller_ = new SynchronizedCaller(
        [this] {
            if (driver_)
                driver_->PauseElapsed();
        },
        this);
    startTimer_ = new QTimer(this);
    startTimer_->setObjectName(QStringLiteral("Timer1"));
    startTimer_->setSingleShot(true);
    connect(startTimer_, &QTimer::timeout, this, &TFPrincipale::StartTimerFired);

    // 8. User level.
    panels_[StatusPanel::UserLevel]->setText(QStringLiteral("Normal"));

    // 9, 10. The drive model and the serial master. The master exists before the drive
    // model that refers to it; it opens nothing until a drive is selected.
    auto channel =
        options_.MakeChannel ? options_.MakeChannel() : std::make_unique<PosixSerialChannel>();
    SettingsStore* store = settings_.get();
    PortNames names([store](int com) { return store->PortPath(com); });
    master_ = std::make_unique<ModbusMaster>(
        std::move(channel), [names](std::uint8_t com) { return names.DevicePath(com); });
    driver_ = std::make_unique<TDriver>(*this, *master_);
    FallBackToDefaultDevicesFolder(*settings_);
    driver_->Initialize(settings_->InstallFolder, settings_->DevicesFolder);

    // 5-7. The right-hand panel (built once the drive model exists: its content reads it).
    BuildRightPanel();
    UpdateAlarmIndicator(false);

    // 11. Analog-out labels (never fatal).
    if (!TerminateRequested())
        driver_->Config().LoadAtMainWindowCreation(settings_->InstallFolder);

    // 13. Port panel.
    panels_[StatusPanel::ComPort]->setText(QStringLiteral(" Com") +
                                           QString::number(settings_->ComPort));
    // 14.
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
}

QAction* TFPrincipale::AddAction(Command command, bool button) {
    const CommandInfo& info = InfoOf(command);
    auto* action = new QAction(this);
    if (button) {
        action->setObjectName(QString::fromLatin1(info.ButtonName));
        const QString text = QString::fromLatin1(info.ButtonText);
        action->setText(text.isEmpty() ? QString::fromLatin1(info.Hint) : text);
        action->setToolTip(QString::fromLatin1(info.Hint));
        buttonActions_[static_cast<std::size_t>(command)] = action;
    } else {
        action->setObjectName(QString::fromLatin1(info.Name));
        action->setText(QString::fromLatin1(info.Caption));
        if (info.Shortcut[0] != '\0')
            action->setShortcut(QKeySequence(QString::fromLatin1(info.Shortcut)));
        menuActions_[static_cast<std::size_t>(command)] = action;
    }
    connect(action, &QAction::triggered, this, [this, command] { Run(command); });
    return action;
}

void TFPrincipale::BuildActions() {
    for (int i = 0; i < CommandCount; ++i) {
        const auto command = static_cast<Command>(i);
        const CommandInfo& info = InfoOf(command);
        if (info.Caption[0] != '\0')
            AddAction(command, false);
        if (info.ButtonName[0] != '\0')
            AddAction(command, true);
    }
    // The Enable/Disable shortcuts work from anywhere in the window.
    for (Command c : {Command::Enable, Command::Disable})
        MenuAction(c)->setShortcutContext(Qt::ApplicationShortcut);
}

void TFPrincipale::BuildMenus() {
    QMenuBar* bar = menuBar();
    const auto add = [this](QMenu* menu, Command c) { menu->addAction(MenuAction(c)); };

    fileMenu_ = bar->addMenu(QStringLiteral("&File"));
    fileMenu_->setObjectName(QStringLiteral("MFile"));
    for (Command c : {Command::Open, Command::Save, Command::SaveAs})
        add(fileMenu_, c);
    fileMenu_->addSeparator();
    add(fileMenu_, Command::FileCompare);
    fileMenu_->addSeparator();
    add(fileMenu_, Command::Exit);

    usersMenu_ = bar->addMenu(QStringLiteral("&Users"));
    usersMenu_->setObjectName(QStringLiteral("MUsers"));
    add(usersMenu_, Command::UserChange);

    settingsMenu_ = bar->addMenu(QStringLiteral("&Settings"));
    settingsMenu_->setObjectName(QStringLiteral("MSettings"));
    add(settingsMenu_, Command::GeneralSettings);
    add(settingsMenu_, Command::ComPort);
    tarnSeparator_ = settingsMenu_->addSeparator();
    tarnSeparator_->setObjectName(QStringLiteral("NTarn"));
    add(settingsMenu_, Command::TarnPort);

    driveMenu_ = bar->addMenu(QStringLiteral("D&rive"));
    driveMenu_->setObjectName(QStringLiteral("MDrive"));
    for (Command c : {Command::SelectDrive, Command::SelectTarnLink, Command::DriveCompare})
        add(driveMenu_, c);
    guidedSetup_ = driveMenu_->addAction(QStringLiteral("&Guided Setup"));
    guidedSetup_->setObjectName(QStringLiteral("MGuided"));
    connect(guidedSetup_, &QAction::triggered, this,
            [this] { CallWindow(QStringLiteral("GuidedSetup"), QStringLiteral("Guided Setup")); });
    driveMenu_->addSeparator();
    add(driveMenu_, Command::Enable);
    add(driveMenu_, Command::Disable);

    tuningMenu_ = bar->addMenu(QStringLiteral("&Tuning"));
    tuningMenu_->setObjectName(QStringLiteral("MTuning"));
    for (Command c : {Command::MotorPhasing, Command::SpeedOffset, Command::TorqueOffset})
        add(tuningMenu_, c);

    scopeMenu_ = bar->addMenu(QStringLiteral("&Oscilloscope"));
    scopeMenu_->setObjectName(QStringLiteral("MOscilloscope"));
    add(scopeMenu_, Command::ScopeOpenFile);

    diagnosticMenu_ = bar->addMenu(QStringLiteral("&Diagnostic"));
    diagnosticMenu_->setObjectName(QStringLiteral("MDiagnostic"));
    add(diagnosticMenu_, Command::DiagnosticView);
    add(diagnosticMenu_, Command::DiagnosticClose);

    bar->addAction(MenuAction(Command::About));
}

void TFPrincipale::BuildToolBar() {
    toolBar_ = addToolBar(QStringLiteral("Tools"));
    toolBar_->setObjectName(QStringLiteral("ToolBar"));
    toolBar_->setMovable(false);
    QStyle* s = style();
    const auto add = [&](Command c, QStyle::StandardPixmap icon) {
        QAction* action = ButtonAction(c);
        action->setIcon(s->standardIcon(icon));
        toolBar_->addAction(action);
        auto* button = qobject_cast<QToolButton*>(toolBar_->widgetForAction(action));
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
    toolBar_->addSeparator();
    add(Command::SelectDrive, QStyle::SP_ComputerIcon);
    add(Command::SelectTarnLink, QStyle::SP_DriveNetIcon);
    add(Command::GeneralSettings, QStyle::SP_FileDialogInfoView);
    toolBar_->addSeparator();
    add(Command::SaveEeprom, QStyle::SP_DriveFDIcon);
    add(Command::LoadEeprom, QStyle::SP_BrowserReload);
    add(Command::LoadDefaults, QStyle::SP_DialogResetButton);
    add(Command::ResetDrive, QStyle::SP_BrowserStop);
    toolBar_->addSeparator();
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

    statusPanel_ = flows_.MakeStatusPanel ? flows_.MakeStatusPanel(*this, holder) : nullptr;
    if (!statusPanel_)
        statusPanel_ = std::make_unique<BasicStatusPanel>(*this, holder);
    // BAllarm: the alarm window, brought up or created.
    statusPanel_->SetAlarmAction([this] {
        if (flows_.ShowAlarmWindow)
            flows_.ShowAlarmWindow(*this);
        else
            NotThereYet(QStringLiteral("The alarm"));
    });
    panelContent_ = statusPanel_->Widget();
    panelContent_->setObjectName(panelContent_->objectName().isEmpty()
                                     ? QStringLiteral("PInfo")
                                     : panelContent_->objectName());
    layout->addWidget(panelContent_);
    layout->addStretch(1);
    viewInfo_->setMinimumWidth(panelContent_->sizeHint().width() - 2);
    dock->setWidget(holder);
    addDockWidget(Qt::RightDockWidgetArea, dock);
}

// --- status bar ---------------------------------------------------------------------------

QString TFPrincipale::StatusPanelText(int panel) const {
    if (panel < 0 || panel >= 10)
        return {};
    return panels_[static_cast<std::size_t>(panel)]->text();
}

void TFPrincipale::SetStatusPanelText(int panel, const QString& text) {
    if (panel < 0 || panel >= 10)
        return;
    panels_[static_cast<std::size_t>(panel)]->setText(text);
}

void TFPrincipale::ShowDeviceFileName() {
    const QString name = driver_ ? driver_->CurrentFileName : QString();
    SetStatusPanelText(StatusPanel::DeviceFile,
                       name.isEmpty() ? QString() : QFileInfo(name).fileName());
}

bool TFPrincipale::IsExpert() const {
    return StatusPanelText(StatusPanel::UserLevel) == QLatin1String("Expert");
}

// --- command states -----------------------------------------------------------------------

QAction* TFPrincipale::MenuAction(Command command) const {
    return menuActions_[static_cast<std::size_t>(command)];
}

QAction* TFPrincipale::ButtonAction(Command command) const {
    return buttonActions_[static_cast<std::size_t>(command)];
}

CommandState TFPrincipale::StateOf(Command command) const {
    const QAction* action = MenuAction(command) ? MenuAction(command) : ButtonAction(command);
    return {action->isVisible(), action->isEnabled()};
}

CommandInputs TFPrincipale::GatherInputs() const {
    CommandInputs in;
    if (!driver_)
        return in;
    const ConfigurationSet& config = driver_->Config();
    in.Kind = driver_->CurrentKind();
    in.Online = driver_->Online();
    in.Expert = IsExpert();
    in.ModelFamily = in.Online ? driver_->GetModelFamily() : 0;
    in.DriveCompareOpen = compareOpen_;
    in.FileCompareOpen = compareOpen_ && !compareFileMode_;
    // A closed oscilloscope is hidden until the frame lets go of it.
    const QMdiSubWindow* scope = FindChildWindow(QStringLiteral("TFOscillo"));
    in.OscilloscopeOpen = oscilloscopeOpen_ || (scope != nullptr && !scope->isHidden());
    const BootloaderRecord* boot = config.CurrentBootloader();
    in.BootRecordUsable = boot != nullptr && !boot->Text.isEmpty();
    in.SaveEnabled = saveEnabled_;
    in.DiagnosticMenuVisible = diagnosticMenuVisible_;
    in.DriveRequestsHeld = driveRequestsHeld_;
    in.AlarmButtonHeld = alarmButtonHeld_;
    in.DeviceAddress = master_->DeviceAddress;
    // A command whose window this build lacks stays disabled rather than running its
    // transfers first only to say so.
    const auto missing = [this](const char* name) {
        const auto it = flows_.Windows.find(QString::fromLatin1(name));
        return it == flows_.Windows.end() || !it->second;
    };
    const std::pair<Command, const char*> windows[] = {
        {Command::FileCompare, "TFCompDev"},     {Command::DriveCompare, "TFCompDevDrive"},
        {Command::MotorPhasing, "MotorPhasing"}, {Command::SpeedOffset, "SpeedOffset"},
        {Command::TorqueOffset, "TorqueOffset"}, {Command::ProfileTool, "TFProfile"},
        {Command::Oscilloscope, "TFOscillo"},    {Command::Diagnostic, "TFDiagnostic"},
        {Command::GeneralSettings, "TFGenInfo"}};
    const auto mark = [&in](Command c, bool absent) {
        in.WindowMissing[static_cast<std::size_t>(c)] = absent;
    };
    for (const auto& [command, name] : windows)
        mark(command, missing(name));
    mark(Command::ComPort, !flows_.ComSettings);
    mark(Command::TarnPort, !flows_.ComSettings);
    mark(Command::UserChange, !flows_.UserChange);
    mark(Command::ScopeOpenFile, !flows_.OpenTraceViewer);
    if (const ParamEntry* base = config.KindTable(DeviceKind::Power).FindByAddress(4))
        in.LinkBaseAddress = base->DefaultValue;
    const AnalogOutLabels& labels = config.AnalogLabels(in.Kind);
    in.Labels1 = labels.First;
    in.Labels2 = labels.Second;
    return in;
}

void TFPrincipale::ApplyCommandStates() {
    const CommandStates states = ComputeCommandStates(GatherInputs());
    for (int i = 0; i < CommandCount; ++i) {
        const auto command = static_cast<Command>(i);
        for (QAction* action : {MenuAction(command), ButtonAction(command)}) {
            if (action == nullptr)
                continue;
            action->setVisible(states[command].Visible);
            action->setEnabled(states[command].Enabled);
        }
    }
    // The toolbar's Save button exists but is never shown (the menu item is).
    ButtonAction(Command::Save)->setVisible(false);
    tarnSeparator_->setVisible(states[Command::TarnPort].Visible);
    driveMenu_->setTitle(states.DriveMenuCaption);
    tuningMenu_->menuAction()->setVisible(states.TuningMenuVisible);
    diagnosticMenu_->menuAction()->setVisible(states.DiagnosticMenuVisible);
    MenuAction(Command::UserChange)->setText(states.UserItemCaption);
    if (guidedSetup_ != nullptr)
        guidedSetup_->setEnabled(driver_ && driver_->Online() &&
                                 driver_->CurrentKind() != DeviceKind::Power);
    // The locked mark keeps every main-menu item disabled, whatever the states say.
    if (menuLocked_)
        for (QAction* item : menuBar()->actions())
            item->setEnabled(false);
}

void TFPrincipale::SetMenuLocked(bool locked) {
    menuLocked_ = locked;
    for (QAction* item : menuBar()->actions())
        item->setEnabled(true);
    ApplyCommandStates();
}

void TFPrincipale::HoldDriveRequests(bool held) {
    driveRequestsHeld_ = held;
    ApplyCommandStates();
    if (statusPanel_)
        statusPanel_->SetRequestButtonsEnabled(
            ComputeCommandStates(GatherInputs()).Panel.EnableButtonsEnabled);
}

void TFPrincipale::ServicePendingRequests() {
    if (statusPanel_)
        statusPanel_->ServicePendingRequests();
}

void TFPrincipale::HoldAlarmButton(bool held) {
    alarmButtonHeld_ = held;
    if (statusPanel_)
        statusPanel_->SetAlarmButtonEnabled(
            ComputeCommandStates(GatherInputs()).Panel.AlarmButtonEnabled);
}

void TFPrincipale::PollStatusNow() {
    if (!driver_)
        return;
    caller_->StopPause();
    driver_->PauseElapsed();
}

void TFPrincipale::ConfigureForDevice() {
    if (!driver_)
        return;
    const CommandInputs inputs = GatherInputs();
    const CommandStates states = ComputeCommandStates(inputs);
    ApplyCommandStates();
    QLabel* id = panels_[StatusPanel::DeviceId];
    id->setMinimumWidth(states.DeviceIdWidth);
    id->setText(states.DeviceIdText);
    panels_[StatusPanel::LineState]->setText(states.LineStateText);
    statusPanel_->ApplyLayout(states.Panel);
    UpdateAlarmIndicator(false);
    children_.NotifyOnline(inputs.Online);
}

void TFPrincipale::ApplyUserLevel() {
    ApplyCommandStates();
}

void TFPrincipale::SetSaveEnabled(bool enabled) {
    saveEnabled_ = enabled;
    ApplyCommandStates();
}

void TFPrincipale::SetCompareOpen(bool open, bool fileMode) {
    compareOpen_ = open;
    compareFileMode_ = open && fileMode;
    ApplyCommandStates();
}

void TFPrincipale::SetOscilloscopeOpen(bool open) {
    oscilloscopeOpen_ = open;
    ApplyCommandStates();
}

void TFPrincipale::SetDiagnosticMenuVisible(bool visible) {
    diagnosticMenuVisible_ = visible;
    ApplyCommandStates();
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
    if (!driver_ || !statusPanel_)
        return;
    const bool alarm = statusPanel_->Refresh();
    UpdateAlarmIndicator(alarm);
    if (flows_.AfterStatusRefresh)
        flows_.AfterStatusRefresh(*this);
}

// --- child windows ------------------------------------------------------------------------

QMdiSubWindow* TFPrincipale::FindChildWindow(const QString& name) const {
    for (QMdiSubWindow* window : frame_->subWindowList())
        if (window->widget() != nullptr && window->widget()->objectName() == name)
            return window;
    return nullptr;
}

bool TFPrincipale::BringToFront(const QString& name) {
    QMdiSubWindow* window = FindChildWindow(name);
    if (window == nullptr)
        return false;
    if (window->isMinimized())
        window->showNormal();
    frame_->setActiveSubWindow(window);
    window->raise();
    window->setFocus();
    return true;
}

void TFPrincipale::CloseChildWindows(bool closePages, bool closeProfile) {
    children_.CloseAll(closePages, closeProfile);
}

void TFPrincipale::CloseChildWindows(std::uint8_t flag1, bool flag2) {
    CloseChildWindows(flag1 != 0, flag2);
}

// --- DriverHost ---------------------------------------------------------------------------

void TFPrincipale::RunSynchronized(const std::function<void()>& fn) {
    caller_->Run(fn);
}

void TFPrincipale::StartPauseTimer(int intervalMs) {
    caller_->StartPause(intervalMs);
}

void TFPrincipale::StopPauseTimer() {
    caller_->StopPause();
}

void TFPrincipale::ProcessEvents() {
    SynchronizedCaller::ProcessEvents();
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
    // 1. The main parameter page.
    if (auto it = flows_.Windows.find(QStringLiteral("TFMainDev")); it != flows_.Windows.end())
        it->second(*this);
    // 2, 3. Homing and oscilloscope configuration; a failure has shown its messages and
    // asked the program to end (the steps below still run, as the program ends when this
    // handler returns to the event loop).
    driver_->Config().LoadAtMainWindowShow(settings_->InstallFolder);
    // 4. The command line, program path included.
    for (const QString& argument : options_.Arguments)
        if (argument.toLower() == QLatin1String("travik"))
            panels_[StatusPanel::UserLevel]->setText(QStringLiteral("Expert"));
    // 5.
    ApplyUserLevel();
    // 6, 7. No input until the start timer has fired.
    startTimer_->start(options_.StartDelayMs);
    frame_->setEnabled(false);
    setEnabled(false);
    // 8. The status panel starts hidden.
    ViewInfoClick();
}

void TFPrincipale::StartTimerFired() {
    startTimer_->stop();
    frame_->setEnabled(true);
    setEnabled(true);
    started_ = true;
    if (TerminateRequested() || !driver_)
        return;
    SelectDrive();
}

void TFPrincipale::closeEvent(QCloseEvent* event) {
    Shutdown();
    event->accept();
}

void TFPrincipale::Shutdown() {
    if (shutDown_ || !driver_)
        return;
    shutDown_ = true;
    startTimer_->stop();
    CloseChildWindows(false, true);
    // The oscilloscope stops the recorder and saves its settings while the drive model
    // exists; it goes now, not at the next turn of the event loop.
    if (QMdiSubWindow* scope = FindChildWindow(QStringLiteral("TFOscillo"))) {
        scope->close();
        delete scope;
    }
    driver_->WaitIdle();
    caller_->StopPause();
    // The serial port goes first (closed, its previous line settings restored), then the
    // drive model, then the settings store, which writes the settings back. The master
    // object itself outlives the drive model that refers to it.
    master_->ClosePort();
    statusPanel_.reset(); // takes its poll body off the drive model
    driver_.reset();
    master_.reset();
    settings_.reset();
    emit ShutDown();
}

} // namespace kelm
