#include "ui/machine/TFMachineD.h"

#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "ui/drive/DialogPlacement.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QVBoxLayout>

namespace kelm {

TFMachineD::TFMachineD(TDriver& driver, const QString& caption, int unitIndex, int unitCount,
                       bool write, TransferTarget target, QWidget* parent)
    : QDialog(parent), driver_(driver), write_(write), target_(target) {
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    const bool profiles = target == TransferTarget::Profiles;
    const QString label = write
                              ? (profiles ? QStringLiteral("Writing Profiles Data to device Nr. ")
                                          : QStringLiteral("Writing to device Nr. "))
                              : (profiles ? QStringLiteral("Reading Profiles Data from device Nr. ")
                                          : QStringLiteral("Reading from device Nr. "));
    auto* unitsText = new QLabel(QStringLiteral("Unit %1 of %2").arg(unitIndex + 1).arg(unitCount));
    Units = new QProgressBar;
    Units->setRange(0, unitCount);
    Units->setValue(unitIndex);
    LText = new QLabel(label + QString::number(driver.Master().UnitAddress()));
    Registers = new QProgressBar;
    Registers->setRange(0, profiles ? driver.ProfileTable().Count() : driver.ActiveTable().Count());
    Registers->setValue(0);
    layout->addWidget(unitsText);
    layout->addWidget(Units);
    layout->addWidget(LText);
    layout->addWidget(Registers);
    setMinimumWidth(360);
    // A unit that falls silent ends the transfer without its done call: the worker leaves it.
    watch_.setInterval(50);
    connect(&watch_, &QTimer::timeout, this, [this] {
        const WorkerMode mode = driver_.Mode();
        if (!finished_ && mode != WorkerMode::TableRead && mode != WorkerMode::TableWrite) {
            finished_ = true;
            accept();
        }
    });
}

void TFMachineD::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOn(*this, parentWidget());
    if (!started_) {
        started_ = true;
        Start();
    }
}

void TFMachineD::Start() {
    QPointer<TFMachineD> self(this);
    driver_.Connection().On(SessionEvent::TransferStarted);
    auto progress = [self] {
        if (self) {
            ++self->outcome_.Steps;
            self->Registers->setValue(self->outcome_.Steps);
        }
    };
    const bool read = !write_ && target_ == TransferTarget::ActiveTable;
    TDriver* driver = &driver_;
    auto finished = [self, driver, read] {
        if (!self || self->finished_)
            return;
        self->finished_ = true;
        self->outcome_.Done = driver->Online();
        if (driver->Online())
            driver->Connection().On(read ? SessionEvent::TableRead : SessionEvent::TransferDone);
        QMetaObject::invokeMethod(self, &QDialog::accept, Qt::QueuedConnection);
    };
    if (write_)
        driver_.StartWrite(target_, progress, finished);
    else
        driver_.StartRead(target_, progress, finished);
    watch_.start();
}

void TFMachineD::done(int result) {
    watch_.stop();
    if (!finished_) {
        // Closed by the user: the transfer stops after its block, what was asked is void.
        finished_ = true;
        outcome_.Cancelled = true;
        if (driver_.Online())
            driver_.Connection().On(SessionEvent::TransferClosed);
    }
    QDialog::done(result);
}

} // namespace kelm
