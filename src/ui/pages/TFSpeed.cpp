#include "ui/pages/TFSpeed.h"

#include "core/drive/TDriver.h"
#include "core/params/ParamTable.h"
#include "ui/pages/PageWidgets.h"
#include "ui/widgets/TPNumEdit.h"

#include <QGridLayout>
#include <algorithm>

namespace kelm {

TFSpeed::TFSpeed(TDriver& driver, Applied afterApply, QWidget* parent)
    : DialogPage(driver, QStringLiteral("TFSpeed"), QStringLiteral(" Speed"), parent),
      a_(SpeedAddressTable(driver.CurrentKind())), afterApply_(std::move(afterApply)) {
    int row = AddFieldRows({{"ESpeed", "Speed Limit", a_.Speed, 0, "rpm"},
                            {"ERampp", "Acc. Ramp", a_.RampUp, 0, "ms"},
                            {"ERampm", "Dec. Ramp", a_.RampDown, 0, "ms"},
                            {"EEmrRamp", "Emer. Ramp", a_.EmergencyRamp, 0, "ms"},
                            {"EKp", "KP", a_.Kp, 0, ""},
                            {"EKi", "KI", a_.Ki, 0, ""},
                            {"EKd", "KP2", a_.Kd, 0, ""},
                            {"EPidt2", "PID - Filter", a_.PidFilter, 1, "ms"},
                            {"Efeed", "Feedback", a_.Feedback, 1, "ms"}});
    QGridLayout* grid = Grid();
    cRotary_ = NewList(QStringLiteral("CRotary"), this);
    cRotary_->addItems({QStringLiteral("positive"), QStringLiteral("negative")});
    grid->addWidget(NewCaption(QStringLiteral("LRotary"), QStringLiteral("Rotary Direction"), this),
                    row, 0);
    grid->addWidget(cRotary_, row++, 1, 1, 2);
    connect(cRotary_, &QComboBox::activated, this, [this](int index) {
        EditBits(a_.Rotary, RotaryBit, index == 1);
        RecolourControls();
    });
    LoadControls();
}

void TFSpeed::LoadControls() {
    cRotary_->setCurrentIndex((Shown(a_.Rotary) & RotaryBit) ? 1 : 0);
    RecolourControls();
}

void TFSpeed::RecolourControls() {
    MarkList(cRotary_, RegisterMarked(a_.Rotary));
}

void TFSpeed::AfterApply(const std::vector<std::uint16_t>& written) {
    if (afterApply_)
        afterApply_(std::find(written.begin(), written.end(), a_.Speed) != written.end());
}

} // namespace kelm
