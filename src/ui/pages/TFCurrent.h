#pragma once

#include "core/rules/LoopRules.h"
#include "ui/pages/DialogPage.h"

class QLabel;

namespace kelm {

// The current loop page: rated and peak current (with their amperes beside them), I2t
// message time, gain and integral time.
class TFCurrent final : public DialogPage {
    Q_OBJECT
public:
    explicit TFCurrent(TDriver& driver, QWidget* parent = nullptr);

private:
    void ShowAmperes();

    TPNumEdit* eInom_ = nullptr;
    TPNumEdit* eImax_ = nullptr;
    QLabel* lInomA_ = nullptr;
    QLabel* lImaxA_ = nullptr;
};

} // namespace kelm
