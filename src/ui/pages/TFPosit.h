#pragma once

#include "core/common/DeviceKind.h"
#include "core/rules/LoopRules.h"
#include "ui/pages/DialogPage.h"

class QComboBox;
class QGroupBox;
class QLabel;

namespace kelm {

// The position loop page: feed forward, gains, maximum position error (Drive: 32 bits),
// reference filter, position polarity (bit 3) and the electronic gearing (pulses per turn,
// numerator, denominator) with its result and, on Std and Power, the gear ratio check.
class TFPosit final : public DialogPage {
    Q_OBJECT
public:
    explicit TFPosit(TDriver& driver, QWidget* parent = nullptr);

    // Recomputes the gearing result and the ratio check.
    void UpdateGearing();

protected:
    void LoadControls() override;
    void RecolourControls() override;

private:
    DeviceKind kind_;
    PositionAddresses a_;
    QComboBox* cPosPol_ = nullptr;
    QComboBox* cPulse_ = nullptr;
    TPNumEdit* eNum_ = nullptr;
    TPNumEdit* eDen_ = nullptr;
    QGroupBox* gGearing_ = nullptr;
    QLabel* lResult_ = nullptr;
    QLabel* pRatio_ = nullptr;
};

} // namespace kelm
