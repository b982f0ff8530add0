#pragma once

#include "core/rules/LoopRules.h"
#include "ui/pages/DialogPage.h"

#include <functional>

class QComboBox;

namespace kelm {

// The speed loop page: speed limit, ramps, gains, filters and the rotary direction (bit 5
// of the switch register).
class TFSpeed final : public DialogPage {
    Q_OBJECT
public:
    // afterApply: hands the speed limit on (profile editor; the main page's speed field when
    // the limit was written).
    using Applied = std::function<void(bool limitWritten)>;
    TFSpeed(TDriver& driver, Applied afterApply, QWidget* parent = nullptr);

protected:
    void LoadControls() override;
    void RecolourControls() override;
    void AfterApply(const std::vector<std::uint16_t>& written) override;

private:
    SpeedAddresses a_;
    Applied afterApply_;
    QComboBox* cRotary_ = nullptr;
};

} // namespace kelm
