#include "ui/pages/TFMotor.h"

#include "core/drive/DriveIdentity.h"
#include "core/drive/TDriver.h"
#include "core/params/ParamTable.h"
#include "ui/pages/PageWidgets.h"
#include "ui/widgets/TPNumEdit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <algorithm>

namespace kelm {

TFMotor::TFMotor(TDriver& driver, QWidget* parent)
    : DialogPage(driver, QStringLiteral("TFMotor"), QStringLiteral(" Motor"), parent),
      kind_(driver.CurrentKind()), a_(MotorAddressTable(kind_)) {
    const bool orca = kind_ == DeviceKind::Orca230;
    const ParamTable& table = driver.ActiveTable();
    QGridLayout* grid = Grid();
    int row = 0;

    lPoles_ =
        NewCaption(QStringLiteral("LPoles"),
                   orca ? QStringLiteral("Motor Type") : QStringLiteral("No. of Poles"), this);
    cPoles_ = NewList(QStringLiteral("CPoles"), this);
    const ParamEntry* poles = table.FindByAddress(static_cast<std::uint16_t>(a_.Poles));
    poles_ = PoleItems(poles ? poles->MinValue : 2, poles ? poles->MaxValue : 0, orca);
    for (const PoleItem& item : poles_)
        cPoles_->addItem(item.Text);
    grid->addWidget(lPoles_, row, 0);
    grid->addWidget(cPoles_, row++, 1);

    lBrake_ = NewCaption(QStringLiteral("LBrake"), QStringLiteral("Holding Brake"), this);
    cBrake_ = NewList(QStringLiteral("CBrake"), this);
    cBrake_->addItems({QStringLiteral("Without"), QStringLiteral("With")});
    grid->addWidget(lBrake_, row, 0);
    grid->addWidget(cBrake_, row++, 1);
    lBrake_->setVisible(a_.Brake != 0);
    cBrake_->setVisible(a_.Brake != 0);

    cFeed_ = NewList(QStringLiteral("CFeed"), this);
    cFeed_->addItems(FeedbackItems(kind_, GetModelFamily(kind_, table)));
    cFeed_->setMinimumWidth(orca ? 145 : 105);
    grid->addWidget(NewCaption(QStringLiteral("LFeed"), QStringLiteral("Feedback Type"), this), row,
                    0);
    grid->addWidget(cFeed_, row++, 1);

    // The resolution field and the resolver pole list share one row; the caption names
    // whichever the feedback shows.
    lImpulsi_ =
        NewCaption(QStringLiteral("LImpulsi"), QStringLiteral("Resolution (pulses/rev)"), this);
    eImpulsi_ = AddField(QStringLiteral("EImpulsi"), a_.Resolution);
    cPolar_ = NewList(QStringLiteral("CPolar"), this);
    const ParamEntry* resolver = table.FindByAddress(static_cast<std::uint16_t>(a_.ResolverPoles));
    resolverPoles_ = ResolverPoleItems(resolver ? resolver->MaxValue : 0);
    for (const PoleItem& item : resolverPoles_)
        cPolar_->addItem(item.Text);
    grid->addWidget(lImpulsi_, row, 0);
    grid->addWidget(eImpulsi_, row, 1);
    grid->addWidget(cPolar_, row++, 1);

    eFasa_ = AddField(QStringLiteral("EFasa"), a_.Phase);
    grid->addWidget(NewCaption(QStringLiteral("LFasa"), QStringLiteral("Phase Angle"), this), row,
                    0);
    grid->addWidget(eFasa_, row++, 1);

    if (orca) {
        row = AddFieldRows({{"EStep", "Step", a_.Step},
                            {"ERmpmot", "Rmp.mot", a_.RampMotor},
                            {"EVmot", "V. mot", a_.VoltMotor}},
                           row);
    }

    connect(cFeed_, &QComboBox::activated, this, [this] { FeedbackChosen(); });
    connect(cPoles_, &QComboBox::activated, this,
            [this] { PoleChosen(cPoles_, poles_, a_.Poles); });
    connect(cPolar_, &QComboBox::activated, this,
            [this] { PoleChosen(cPolar_, resolverPoles_, a_.ResolverPoles); });
    connect(cBrake_, &QComboBox::activated, this, [this](int index) {
        EditBits(a_.Brake, BrakeBit, index == 1);
        RecolourControls();
    });
    LoadControls();
}

// Corrections of numbers the lists cannot show are this page's edits: shown as edited,
// sent with Apply, dropped by Cancel.
void TFMotor::LoadControls() {
    cPoles_->setCurrentIndex(PoleIndex(poles_, Shown(a_.Poles)));
    if (a_.Brake != 0)
        cBrake_->setCurrentIndex((Shown(a_.Brake) & BrakeBit) ? 1 : 0);

    const int storedPoles = Shown(a_.ResolverPoles);
    const int resolver =
        NormalizeResolverPoles(storedPoles, static_cast<int>(resolverPoles_.size()));
    if (resolver != storedPoles)
        EditWord(a_.ResolverPoles, resolver);
    cPolar_->setCurrentIndex(PoleIndex(resolverPoles_, resolver));

    const int storedCode = Shown(a_.Feedback);
    const int code = NormalizeFeedback(kind_, storedCode);
    if (code != storedCode)
        EditWord(a_.Feedback, code);
    const int item = static_cast<int>(cFeed_->findText(FeedbackNames(kind_).value(code)));
    cFeed_->setCurrentIndex(std::max(item, 0));
    ShowLabels(code);
    RecolourControls();
}

void TFMotor::FeedbackChosen() {
    const int code = FeedbackCode(kind_, cFeed_->currentText());
    if (code >= 0)
        EditWord(a_.Feedback, code);
    ShowLabels(code);
    RecolourControls();
}

void TFMotor::PoleChosen(QComboBox* list, const std::vector<PoleItem>& items, int address) {
    const int index = list->currentIndex();
    if (index >= 0 && index < static_cast<int>(items.size()))
        EditWord(address, items[static_cast<std::size_t>(index)].Code);
    RecolourControls();
}

void TFMotor::ShowLabels(int code) {
    const FeedbackLabels labels = LabelsForFeedback(kind_, code);
    lImpulsi_->setText(labels.Caption);
    eImpulsi_->setVisible(labels.Resolution);
    cPolar_->setVisible(labels.ResolverPoles);
}

void TFMotor::RecolourControls() {
    MarkList(cPoles_, RegisterMarked(a_.Poles));
    MarkList(cBrake_, a_.Brake != 0 && RegisterMarked(a_.Brake));
    MarkList(cFeed_, RegisterMarked(a_.Feedback));
    MarkList(cPolar_, RegisterMarked(a_.ResolverPoles));
}

} // namespace kelm
