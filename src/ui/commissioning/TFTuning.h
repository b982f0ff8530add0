#pragma once

#include "core/drive/procedures/TuningWait.h"

#include <QDialog>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;

namespace kelm {

// The modal wait while the drive runs a procedure: a bar that only shows activity, and
// Cancel. The polling timer (TPol single-phase, TPolTarn two-phase) polls the wait every
// 200 ms and closes the dialog when the wait has ended. Cancel (also Escape or closing the
// window) marks the wait; the next tick ends it with failure, so the caller still does its
// closing writes.
class TFTuning final : public QDialog {
    Q_OBJECT
public:
    explicit TFTuning(QWidget* parent = nullptr);

    // Caption from the request bit, then runs the dialog modally (through the dialog seam)
    // until the wait has ended. The caller reads the outcome from the wait.
    void Setup(TuningWait& wait);

    QLabel* LCaption = nullptr;
    QProgressBar* Bar = nullptr;
    QPushButton* BCanc = nullptr;
    QPushButton* BOk = nullptr; // hidden
    QTimer TPol;
    QTimer TPolTarn;
    QTimer TBar;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void BCancClick();
    void PollTimer(QTimer& timer);
    void TBarTimer();

    TuningWait* wait_ = nullptr;
};

// Runs waits in TFTuning over the given window.
class TuningDialogWaiter final : public ProcedureWaiter {
public:
    explicit TuningDialogWaiter(QWidget* parent) : parent_(parent) {}
    void Run(TuningWait& wait) override;

private:
    QWidget* parent_;
};

} // namespace kelm
