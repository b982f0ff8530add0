#include "ui/pages/TFPosit.h"

#include "core/drive/TDriver.h"
#include "core/params/ParamTable.h"
#include "core/rules/FieldBinding.h"
#include "ui/pages/PageWidgets.h"
#include "ui/widgets/GrowToContent.h"
#include "ui/widgets/TPNumEdit.h"

#include <QGridLayout>
#include <QGroupBox>

namespace kelm {

TFPosit::TFPosit(TDriver& driver, QWidget* parent)
    : DialogPage(driver, QStringLiteral("TFPosit"), QStringLiteral("  Position"), parent),
      kind_(driver.CurrentKind()), a_(PositionAddressTable(kind_)) {
    const bool wideError = a_.ErrorHigh != 0;
    int row = AddFieldRows(
        {{"EFw", "Feed Forward", a_.FeedForward, 0, "%"},
         {"EKpD", "Kp Dynamic", a_.KpDynamic, 0, ""},
         {"EKpS", "Kp Static", a_.KpStatic, 0, ""},
         {"EPul", "Max Position Error",
          wideError ? PackWideTag(a_.ErrorLow, a_.ErrorHigh) : a_.ErrorLow, 0, "pulses", wideError},
         {"EFlt", "Ref-Filter", a_.Filter, 1, "ms"}});
    QGridLayout* grid = Grid();
    cPosPol_ = NewList(QStringLiteral("CPosPol"), this);
    cPosPol_->addItems({QStringLiteral("Positive"), QStringLiteral("Negative")});
    grid->addWidget(
        NewCaption(QStringLiteral("LPosPol"), QStringLiteral("Position Polarity"), this), row, 0);
    grid->addWidget(cPosPol_, row++, 1, 1, 3);

    gGearing_ = new QGroupBox(QStringLiteral(" Gearing "), this);
    gGearing_->setObjectName(QStringLiteral("GGearing"));
    auto* gear = new QGridLayout(gGearing_);
    cPulse_ = NewList(QStringLiteral("CPulse"), gGearing_);
    for (int pulses : PulsesPerTurn())
        cPulse_->addItem(QString::number(pulses));
    eNum_ = AddField(QStringLiteral("ENum"), a_.Numerator);
    eDen_ = AddField(QStringLiteral("EDen"), a_.Denominator);
    lResult_ = NewCaption(QStringLiteral("LResult"), QString(), gGearing_);
    pRatio_ =
        NewCaption(QStringLiteral("PRatio"), QStringLiteral("1/64< | Gear Ratio | <64"), gGearing_);
    pRatio_->setFrameShape(QFrame::Panel);
    pRatio_->setFrameShadow(QFrame::Sunken);
    pRatio_->setStyleSheet(QStringLiteral("color: red;"));
    gear->addWidget(
        NewCaption(QStringLiteral("LPulse"), QStringLiteral("Pulses per Turn"), gGearing_), 0, 0);
    gear->addWidget(cPulse_, 0, 1);
    gear->addWidget(NewCaption(QStringLiteral("LNum"), QStringLiteral("Numerator"), gGearing_), 1,
                    0);
    gear->addWidget(eNum_, 1, 1);
    gear->addWidget(NewCaption(QStringLiteral("LDen"), QStringLiteral("Denominator"), gGearing_), 2,
                    0);
    gear->addWidget(eDen_, 2, 1);
    gear->addWidget(
        NewCaption(QStringLiteral("LResultCaption"), QStringLiteral("Pulses / Turn"), gGearing_), 3,
        0);
    gear->addWidget(lResult_, 3, 1);
    gear->addWidget(pRatio_, 4, 0, 1, 2);
    gear->setColumnStretch(2, 1);
    grid->addWidget(gGearing_, row++, 0, 1, 4);

    for (TPNumEdit* field : {eNum_, eDen_})
        connect(field, &QLineEdit::textChanged, this, [this] { UpdateGearing(); });
    connect(cPulse_, &QComboBox::currentIndexChanged, this, [this] { UpdateGearing(); });
    connect(cPosPol_, &QComboBox::activated, this, [this](int index) {
        EditBits(a_.Polarity, PolarityBit, index == 1);
        RecolourControls();
    });
    connect(cPulse_, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < static_cast<int>(PulsesPerTurn().size()))
            EditWord(a_.Pulses, PulsesPerTurn()[static_cast<std::size_t>(index)]);
        RecolourControls();
    });
    Fields().Bind();
    LoadControls();
}

void TFPosit::LoadControls() {
    cPosPol_->setCurrentIndex((Shown(a_.Polarity) & PolarityBit) ? 1 : 0);
    // A number that is not in the list selects nothing; the result still shows it.
    cPulse_->setCurrentIndex(PulsesIndex(Shown(a_.Pulses)));
    UpdateGearing();
    RecolourControls();
}

void TFPosit::UpdateGearing() {
    const int index = cPulse_->currentIndex();
    const double pulses = index >= 0 ? PulsesPerTurn()[static_cast<std::size_t>(index)]
                                     : static_cast<double>(Shown(a_.Pulses));
    const int numerator = eNum_->RdValore();
    const int denominator = eDen_->RdValore();
    lResult_->setText(GearingText(pulses, numerator, denominator));
    const bool accepted = GearRatioAccepted(kind_, numerator, denominator);
    const bool shown = !pRatio_->isHidden();
    pRatio_->setVisible(!accepted);
    if (!accepted && !shown && isVisible()) // the warning must not be cut off
        GrowToContent(*this);
    SetApplyAllowed(accepted);
}

void TFPosit::RecolourControls() {
    MarkList(cPosPol_, RegisterMarked(a_.Polarity));
    MarkList(cPulse_, RegisterMarked(a_.Pulses));
}

} // namespace kelm
