#include "ui/commissioning/TFTuning.h"

#include "ui/seams/DialogRunner.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelm {

TFTuning::TFTuning(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TFTuning"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    LCaption = new QLabel(this);
    layout->addWidget(LCaption);
    Bar = new QProgressBar(this);
    Bar->setObjectName(QStringLiteral("Bar"));
    Bar->setRange(0, TuningWait::BarMax);
    Bar->setTextVisible(false);
    Bar->setMinimumWidth(320);
    layout->addWidget(Bar);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    BOk = new QPushButton(QStringLiteral("OK"), this);
    BOk->setObjectName(QStringLiteral("BOk"));
    BOk->hide();
    buttons->addWidget(BOk);
    BCanc = new QPushButton(QStringLiteral("&Cancel"), this);
    BCanc->setObjectName(QStringLiteral("BCanc"));
    buttons->addWidget(BCanc);
    buttons->addStretch();
    layout->addLayout(buttons);

    for (QTimer* timer : {&TPol, &TPolTarn}) {
        timer->setInterval(TuningWait::PollMs);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, [this, timer] { PollTimer(*timer); });
    }
    TBar.setInterval(TuningWait::BarMs);
    connect(&TBar, &QTimer::timeout, this, &TFTuning::TBarTimer);
    connect(BCanc, &QPushButton::clicked, this, &TFTuning::BCancClick);
}

void TFTuning::Setup(TuningWait& wait) {
    wait_ = &wait;
    const QString caption = TuningCaption(wait.Bit());
    setWindowTitle(caption);
    LCaption->setText(caption);
    // The main window is disabled during the procedure; the dialog, a window of its own,
    // stays usable.
    setEnabled(true);
    Dialogs().Exec(*this);
    // A dialog ended from outside (the program quitting) counts as Cancel, so the caller
    // still makes its closing writes.
    if (!wait.Finished()) {
        wait.Cancel();
        wait.Poll();
    }
    TPol.stop();
    TPolTarn.stop();
    TBar.stop();
    wait_ = nullptr;
}

void TFTuning::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Bar->setValue(0);
    BOk->hide();
    TBar.start();
    if (wait_ != nullptr)
        (wait_->TwoPhase() ? TPolTarn : TPol).start();
}

// The dialog ends only when the wait has ended: closing it is a Cancel.
void TFTuning::closeEvent(QCloseEvent* event) {
    if (wait_ != nullptr && !wait_->Finished()) {
        BCancClick();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFTuning::reject() {
    if (wait_ != nullptr && !wait_->Finished()) {
        BCancClick();
        return;
    }
    QDialog::reject();
}

void TFTuning::BCancClick() {
    if (wait_ != nullptr)
        wait_->Cancel();
    BCanc->setEnabled(false);
    BOk->setEnabled(false);
}

void TFTuning::PollTimer(QTimer& timer) {
    timer.stop();
    if (wait_ == nullptr)
        return;
    if (wait_->Poll()) {
        timer.start();
        return;
    }
    TPol.stop();
    TPolTarn.stop();
    done(wait_->Failed() ? QDialog::Rejected : QDialog::Accepted);
}

void TFTuning::TBarTimer() {
    const int next = Bar->value() + 1;
    Bar->setValue(next > TuningWait::BarMax ? 0 : next);
}

void TuningDialogWaiter::Run(TuningWait& wait) {
    TFTuning dialog(parent_);
    dialog.Setup(wait);
}

} // namespace kelm
