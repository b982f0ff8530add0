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

TransferMode TransferModeOf(char mode) {
    switch (mode) {
    case 'R':
        return {true, QStringLiteral("Reading from device Nr. "), 'D', false, true};
    case 'W':
        return {true, QStringLiteral("Writing to device Nr. "), 'D', true, true};
    case 'P':
        return {true, QStringLiteral("Reading Profiles Data from device Nr. "), 'P', false, true};
    case 'p':
        return {true, QStringLiteral("Writing Profiles Data to device Nr. "), 'P', true, true};
    case 'O':
        return {true, QStringLiteral("Reading Oscilloscope Data from device Nr. "), 'O', false,
                true};
    case 'M':
        return {true, QStringLiteral("Scanning Tarn Link..."), 0, false, false};
    default:
        break;
    }
    return {};
}

TFConnectD::TFConnectD(TDriver& driver, char mode, std::function<void()> fileCleared,
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
    switch (setup_.Table) {
    case 'D':
        Progress->setMaximum(driver.ActiveTable().Count());
        break;
    case 'P':
        Progress->setMaximum(driver.ProfileTable().Count());
        break;
    case 'O':
        Progress->setMaximum(driver.ScopeSettingsTable().Count());
        break;
    default:
        break;
    }
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
    const bool read = mode_ == 'R';
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
        driver_.StartWrite(setup_.Table, progress, doneCallback);
    else
        driver_.StartRead(setup_.Table, progress, doneCallback);
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

void TFConnectD::RunTransfer(ShellHost& shell, char mode) {
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
    auto* dialog = new TFConnectD(driver, 'M', {}, centreOn);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return dialog;
}

} // namespace kelm
