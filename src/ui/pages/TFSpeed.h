#pragma once

#include "ui/pages/DialogPage.h"
#include "ui/pages/LoopRules.h"

#include <functional>

class QComboBox;

namespace kelm {

// The speed loop page: speed limit, ramps, gains, filters and the rotary direction (bit 5
// of the switch register).
class TFSpeed final : public DialogPage {
    Q_OBJECT
public:
    // afterApply: hands a changed speed limit on (main page speed field, profile editor).
    TFSpeed(TDriver& driver, std::function<void()> afterApply, QWidget* parent = nullptr);

protected:
    void StoreControls() override;
    void LoadControls() override;
    void RecolourControls() override;
    void AfterApply() override;

private:
    SpeedAddresses a_;
    std::function<void()> afterApply_;
    QComboBox* cRotary_ = nullptr;
};

} // namespace kelm
