#pragma once

#include "core/drive/WorkerMode.h"
#include "core/machine/MachineRunner.h"

#include <QDialog>
#include <QTimer>

class QLabel;
class QProgressBar;

namespace kelm {

class TDriver;

// The progress dialog of a machine run: one bar for the units, one for the registers of the
// unit in use. It runs one whole-table transfer of that unit modally and closes at its end;
// closed before the end it takes the program off line (as the transfer progress dialog
// does) and the run stops.
class TFMachineD final : public QDialog {
    Q_OBJECT
public:
    TFMachineD(TDriver& driver, const QString& caption, int unitIndex, int unitCount, bool write,
               TransferTarget target, QWidget* parent);

    TransferOutcome Outcome() const { return outcome_; }

    QLabel* LText = nullptr;
    QProgressBar* Units = nullptr;
    QProgressBar* Registers = nullptr;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Start();

    TDriver& driver_;
    bool write_;
    TransferTarget target_;
    bool started_ = false;
    bool finished_ = false; // done callback came, or the worker left the transfer
    TransferOutcome outcome_;
    QTimer watch_;
};

} // namespace kelm
