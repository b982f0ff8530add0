#include "ui/pages/TFSpeed.h"

#include "core/drive/TDriver.h"
#include "core/params/ParamTable.h"
#include "ui/pages/PageWidgets.h"
#include "ui/widgets/TPNumEdit.h"

#include <QGridLayout>

namespace kelm {

TFSpeed::TFSpeed(TDriver& driver, std::function<void()> afterApply, QWidget* parent)
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
    connect(cRotary_, &QComboBox::activated, this, [this] { MarkList(cRotary_, true); });
    LoadControls();
}

void TFSpeed::LoadControls() {
    const ParamEntry* rotary =
        Driver().ActiveTable().FindByAddress(static_cast<std::uint16_t>(a_.Rotary));
    cRotary_->setCurrentIndex(rotary != nullptr && (rotary->Value & RotaryBit) ? 1 : 0);
    RecolourControls();
}

void TFSpeed::StoreControls() {
    if (ParamEntry* rotary =
            Driver().ActiveTable().FindByAddress(static_cast<std::uint16_t>(a_.Rotary)))
        rotary->Value = static_cast<std::int16_t>(
            WithBit(rotary->Value, RotaryBit, cRotary_->currentIndex() == 1));
}

void TFSpeed::RecolourControls() {
    MarkList(cRotary_, RegisterDiffers(a_.Rotary));
}

void TFSpeed::AfterApply() {
    if (afterApply_)
        afterApply_();
}

} // namespace kelm
