#include "ui/pages/TFAnalog.h"

#include "core/drive/TDriver.h"
#include "core/params/ParamTable.h"
#include "ui/commissioning/TuningCommands.h"
#include "ui/pages/PageWidgets.h"
#include "ui/shell/ShellHost.h"
#include "ui/widgets/TPNumEdit.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <algorithm>

namespace kelm {

namespace {
constexpr int FilterMax = 10000;
constexpr int ApplyDelayMs = 10;
} // namespace

TFAnalog::TFAnalog(ShellHost& shell, QWidget* parent)
    : DialogPage(shell.Driver(), QStringLiteral("TFAnalog"), QStringLiteral("  Analog    I/O "),
                 parent),
      shell_(shell), a_(AnalogAddressTable(shell.Driver().CurrentKind())) {
    applyTimer_ = new QTimer(this);
    applyTimer_->setSingleShot(true);
    applyTimer_->setInterval(ApplyDelayMs);
    connect(applyTimer_, &QTimer::timeout, this, [this] { ApplyAs(stepOrigin_); });

    QGridLayout* grid = Grid();
    grid->addWidget(NewCaption(QStringLiteral("LIn1"), QStringLiteral("Input 1 (Speed)"), this), 0,
                    1, 1, 2);
    grid->addWidget(NewCaption(QStringLiteral("LIn2"), QStringLiteral("Input 2 (Torque)"), this), 0,
                    3, 1, 2);
    const char* captions[] = {"Filter (ms)", "Offset (mV)", "Dead Band (mV)", "Value"};
    for (int r = 0; r < 4; ++r)
        grid->addWidget(
            NewCaption(QStringLiteral("LRow%1").arg(r + 1), QString::fromLatin1(captions[r]), this),
            r + 1, 0);
    for (int i = 0; i < 2; ++i) {
        const int col = 1 + 2 * i;
        const QString n = QString::number(i + 1);
        grid->addWidget(AddField(QStringLiteral("EFi") + n, a_.Filter[i], 1), 1, col);
        eOff_[i] = new TPNumEdit(this);
        eOff_[i]->setObjectName(QStringLiteral("EOf") + n);
        eOff_[i]->WrDec(1);
        eOff_[i]->setMaximumWidth(90);
        eOff_[i]->SetKeyHandler(
            [this, i](TPNumEdit&, QKeyEvent& event) { return OffsetKey(i, event.key()); });
        grid->addWidget(eOff_[i], 2, col);
        udOff_[i] = new QSpinBox(this);
        udOff_[i]->setObjectName(QStringLiteral("UDOff") + n);
        udOff_[i]->setToolTip(QStringLiteral("Raw offset"));
        grid->addWidget(udOff_[i], 2, col + 1);
        connect(udOff_[i], &QSpinBox::valueChanged, this,
                [this, i](int raw) { OffsetStepped(i, raw); });
        grid->addWidget(AddField(QStringLiteral("EDe") + n, a_.DeadBand[i], 1), 3, col);
        eIn_[i] = new QLineEdit(this);
        eIn_[i]->setObjectName(QStringLiteral("EIn") + n);
        eIn_[i]->setReadOnly(true);
        eIn_[i]->setFocusPolicy(Qt::NoFocus);
        eIn_[i]->setMaximumWidth(90);
        grid->addWidget(eIn_[i], 4, col);
        bAuto_[i] = new QPushButton(QStringLiteral("Analog &") + n, this);
        bAuto_[i]->setObjectName(i == 0 ? QStringLiteral("Bass") : QStringLiteral("Bast"));
        connect(bAuto_[i], &QPushButton::clicked, this, [this, i] { AutoOffset(i); });
        grid->addWidget(bAuto_[i], 5, col);
    }
    grid->addWidget(NewCaption(QStringLiteral("LAuto"), QStringLiteral("Auto Offset"), this), 5, 0);
    LoadControls();
    AnalogRefresh();
}

void TFAnalog::Ready() {
    Finish({});
    for (int i = 0; i < 2; ++i) {
        for (TPNumEdit* field : Fields().Fields()) {
            if (field->Tag() != a_.Filter[i] || field->RdMax() <= FilterMax)
                continue;
            field->WrMax(FilterMax); // a stored filter beyond it is shown as it is
            Fields().Reload(field);
            Fields().Recolour(field);
        }
    }
}

void TFAnalog::AnalogRefresh() {
    for (int i = 0; i < 2; ++i) {
        const ParamEntry* entry = Driver().ActiveTable().FindByAddress(a_.Input[i]);
        eIn_[i]->setText(entry != nullptr ? QString::number(entry->Value) : QString());
    }
}

// Field in tenths of a millivolt from the raw register as the page shows it (a stored
// offset outside the limits as it is); limits from the register's.
void TFAnalog::ShowOffset(int i) {
    eOff_[i]->WrMin(OffsetToTenthsMv(udOff_[i]->minimum()));
    eOff_[i]->WrMax(OffsetToTenthsMv(udOff_[i]->maximum()));
    eOff_[i]->SetIsNegative(udOff_[i]->minimum() < 0);
    eOff_[i]->ShowNumber(OffsetToTenthsMv(Shown(a_.Offset[i])));
}

void TFAnalog::LoadControls() {
    loading_ = true;
    for (int i = 0; i < 2; ++i) {
        const ParamEntry* entry = Driver().ActiveTable().FindByAddress(a_.Offset[i]);
        udOff_[i]->setRange(entry != nullptr ? entry->MinValue : 0,
                            entry != nullptr ? entry->MaxValue : 0);
        udOff_[i]->setValue(Shown(a_.Offset[i]));
        ShowOffset(i);
    }
    loading_ = false;
    RecolourControls();
}

void TFAnalog::RecolourControls() {
    for (int i = 0; i < 2; ++i) {
        ShowOffset(i);
        eOff_[i]->SetMarked(RegisterMarked(a_.Offset[i]));
    }
}

// The raw offset moved by one step: the page's edit, shown and applied shortly after.
void TFAnalog::OffsetStepped(int i, int raw) {
    if (loading_)
        return;
    EditWord(a_.Offset[i], raw);
    ShowOffset(i);
    eOff_[i]->SetMarked(true);
    if (!applyTimer_->isActive())
        stepOrigin_ = Driver().Ask(QStringLiteral("Analog I/O offset step"));
    applyTimer_->start();
}

bool TFAnalog::OffsetKey(int i, int key) {
    switch (key) {
    case Qt::Key_Up:
        udOff_[i]->stepUp();
        return true;
    case Qt::Key_Down:
        udOff_[i]->stepDown();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: { // millivolts back to the raw register; Apply sends it
        if (!eOff_[i]->Edited())
            return true; // nothing typed: a stored offset stays as it is
        eOff_[i]->ChkVal();
        const int raw = std::clamp<int>(TenthsMvToOffset(eOff_[i]->RdValore()),
                                        udOff_[i]->minimum(), udOff_[i]->maximum());
        EditWord(a_.Offset[i], raw);
        loading_ = true;
        udOff_[i]->setValue(raw);
        loading_ = false;
        eOff_[i]->SetMarked(true);
        return true;
    }
    default:
        eOff_[i]->SetMarked(true);
        return false;
    }
}

void TFAnalog::AutoOffset(int i) {
    const QPointer<TFAnalog> self(this);
    setEnabled(false);
    running_ = true;
    RunTuningCommand(shell_, i == 0 ? TuningProcedure::SpeedOffset : TuningProcedure::TorqueOffset,
                     false);
    if (!self)
        return;
    running_ = false;
    setEnabled(true);
    // The procedure found the offset: it replaces an edit of it.
    Edits().Drop(a_.Offset[i]);
    loading_ = true;
    udOff_[i]->setValue(Shown(a_.Offset[i]));
    loading_ = false;
    ShowOffset(i);
    eOff_[i]->SetMarked(RegisterMarked(a_.Offset[i]));
}

} // namespace kelm
