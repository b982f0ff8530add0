#pragma once

#include "core/common/DeviceKind.h"
#include "core/rules/MotorRules.h"
#include "ui/pages/DialogPage.h"

#include <functional>

class QComboBox;
class QLabel;

namespace kelm {

// The motor and feedback page: motor poles (Orca 230: or motor type), holding brake,
// feedback type, encoder resolution or resolver poles, phase angle and the Orca 230
// stepper settings.
class TFMotor final : public DialogPage {
    Q_OBJECT
public:
    // The windows that show feedback settings follow its writes through TDriver::Notice.
    explicit TFMotor(TDriver& driver, QWidget* parent = nullptr);

protected:
    void LoadControls() override;
    void RecolourControls() override;

private:
    void FeedbackChosen();
    void ShowLabels(int code);
    // A pole list's item chosen: its number (or motor type code) is the register's edit.
    void PoleChosen(QComboBox* list, const std::vector<PoleItem>& items, int address);

    DeviceKind kind_;
    MotorAddresses a_;
    std::vector<PoleItem> poles_;
    std::vector<PoleItem> resolverPoles_;
    QLabel* lPoles_ = nullptr;
    QComboBox* cPoles_ = nullptr;
    QLabel* lBrake_ = nullptr;
    QComboBox* cBrake_ = nullptr;
    QComboBox* cFeed_ = nullptr;
    QLabel* lImpulsi_ = nullptr;
    TPNumEdit* eImpulsi_ = nullptr;
    QComboBox* cPolar_ = nullptr;
    TPNumEdit* eFasa_ = nullptr;
};

} // namespace kelm
