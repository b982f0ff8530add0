#include "ui/drive/TFConnectD.h"

#include "core/drive/TDriver.h"
#include "ui/drive/DialogPlacement.h"
#include "ui/seams/DialogRunner.h"
#include "ui/shell/ShellHost.h"

#include "core/link/ModbusMaster.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QThread>
#include <QVBoxLayout>

namespace kelm {

namespace {

QPointer<TFConnectD> g_current;

} // namespace

TransferMode TransferModeOf(ProgressMode mode) {
    switch (mode) {
    case ProgressMode::ReadTable:
        return {QStringLiteral("Reading from device Nr. "), TransferTarget::ActiveTable, false};
    case ProgressMode::WriteTable:
        return {QStringLiteral("Writing to device Nr. "), TransferTarget::ActiveTable, true};
    case ProgressMode::ReadProfiles:
        return {QStringLiteral("Reading Profiles Data from device Nr. "), TransferTarget::Profiles,
                false};
    case ProgressMode::WriteProfiles:
        return {QStringLiteral("Writing Profiles Data to device Nr. "), TransferTarget::Profiles,
                true};
    case ProgressMode::ReadScopeSettings:
        return {QStringLiteral("Reading Oscilloscope Data from device Nr. "),
                TransferTarget::ScopeSettings, false};
    case ProgressMode::ScanLink:
        break;
    }
    return {QStringLiteral("Scanning Tarn Link..."), std::nullopt, false, false};
}

TFConnectD::TFConnectD(TDriver& driver, ProgressMode mode, std::function<void()> fileCleared,
                       QWidget* centreOn)
    : QDialog(centreOn), driver_(driver), mode_(mode), setup_(TransferModeOf(mode)),
      fileCleared_(std::move(fileCleared)), centreOn_(centreOn) {
    auto* layout = new QVBoxLayout(this);
    // A transfer's label ends with the number of the drive it talks to.
    LText =
        new QLabel(setup_.Transfer ? setup_.Label + QString::number(driver.Master().UnitAddress())
                                   : setup_.Label);
    Progress = new QProgressBar;
    Progress->setMinimum(0);
    Progress->setValue(0);
    layout->addWidget(LText);
    layout->addWidget(Progress);
    setMinimumWidth(360);
    if (setup_.Table == TransferTarget::ActiveTable)
        Progress->setMaximum(driver.ActiveTable().Count());
    else if (setup_.Table == TransferTarget::Profiles)
        Progress->setMaximum(driver.ProfileTable().Count());
    else if (setup_.Table == TransferTarget::ScopeSettings)
        Progress->setMaximum(driver.ScopeSettingsTable().Count());
    endTimer_.setSingleShot(true);
    endTimer_.setInterval(EndDelayMs);
    connect(&endTimer_, &QTimer::timeout, this, [this] {
        endReached_ = true;
        accept();
    });
    g_current = this;
    if (!setup_.Transfer) {
        // The scanning window: its end mark is set at once, so closing it never matters.
        endReached_ = true;
        setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                       Qt::WindowTitleHint);
    }
}

TFConnectD::~TFConnectD() {
    if (g_current == this)
        g_current = nullptr;
}

TFConnectD* TFConnectD::Current() {
    return g_current;
}

void TFConnectD::InstallMasterHook(ModbusMaster& master) {
    master.SetProgressDialogHook([](bool enabled) {
        auto apply = [enabled] {
            if (g_current)
                g_current->setEnabled(enabled);
        };
        QCoreApplication* app = QCoreApplication::instance();
        if (!app || QThread::currentThread() == app->thread())
            apply();
        else
            QMetaObject::invokeMethod(app, apply, Qt::QueuedConnection);
    });
}

void TFConnectD::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // At its content's size, also when the layout had not run yet (the first dialog shown).
    if (QLayout* content = layout())
        content->activate();
    resize(size().expandedTo(sizeHint()));
    CentreOn(*this, centreOn_);
    if (!started_ && setup_.Transfer) {
        started_ = true;
        StartTransfer();
    }
}

// The callbacks run on the user-interface thread; they find out through the guard whether
// the dialog still exists.
void TFConnectD::StartTransfer() {
    QPointer<TFConnectD> self(this);
    TDriver* driver = &driver_;
    driver_.Connection().On(SessionEvent::TransferStarted);
    // A dialog closed before the end takes the program off line, visibly: the transfer stops
    // after its block, and what was asked before is void.
    auto progress = [self, driver] {
        if (self)
            self->Advance();
        else if (driver->Online())
            driver->Connection().On(SessionEvent::TransferClosed);
    };
    const bool read = mode_ == ProgressMode::ReadTable;
    auto fileCleared = fileCleared_;
    auto doneCallback = [self, driver, read, fileCleared] {
        if (read) {
            driver->CurrentFileName.clear();
            if (fileCleared)
                fileCleared();
        }
        if (!self) {
            if (driver->Online())
                driver->Connection().On(SessionEvent::TransferClosed);
            return;
        }
        if (driver->Online())
            driver->Connection().On(read ? SessionEvent::TableRead : SessionEvent::TransferDone);
        self->TransferDone();
    };
    if (setup_.Write)
        driver_.StartWrite(*setup_.Table, progress, doneCallback);
    else
        driver_.StartRead(*setup_.Table, progress, doneCallback);
}

void TFConnectD::TransferDone() {
    endTimer_.start();
}

int TFConnectD::Position() const {
    return Progress->value();
}
int TFConnectD::Maximum() const {
    return Progress->maximum();
}
void TFConnectD::SetMaximum(int maximum) {
    Progress->setMaximum(maximum);
}
void TFConnectD::Advance() {
    Progress->setValue(Progress->value() + 1);
}

void TFConnectD::done(int result) {
    endTimer_.stop();
    if (!endReached_ && driver_.Online())
        driver_.Connection().On(SessionEvent::TransferClosed);
    QDialog::done(result);
}

void TFConnectD::RunTransfer(ShellHost& shell, ProgressMode mode) {
    if (!TransferModeOf(mode).Transfer)
        return;
    TDriver& driver = shell.Driver();
    const bool wasOnline = driver.Online();
    {
        TFConnectD dialog(
            driver, mode, [&shell] { shell.ShowDeviceFileName(); }, shell.Window());
        Dialogs().Exec(dialog);
    }
    // A transfer closed early or failed shows the program off line at once.
    if (wasOnline && !driver.Online())
        shell.ConfigureForDevice();
}

TFConnectD* TFConnectD::ShowScanning(TDriver& driver, QWidget* centreOn) {
    auto* dialog = new TFConnectD(driver, ProgressMode::ScanLink, {}, centreOn);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return dialog;
}

} // namespace kelm
