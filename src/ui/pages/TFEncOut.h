#pragma once

#include "core/rules/LoopRules.h"
#include "ui/pages/DialogPage.h"

class QComboBox;

namespace kelm {

// The simulated encoder output page: one divider list whose entries follow the feedback
// settings of the motor page. The register holds the 1-based index of the entry.
class TFEncOut final : public DialogPage {
    Q_OBJECT
public:
    explicit TFEncOut(TDriver& driver, QWidget* parent = nullptr);

    // Builds the entries again from the feedback settings and selects the stored divider
    // (unapplied choices are dropped: the entries they named have changed).
    void Rebuild();

protected:
    void LoadControls() override;
    void RecolourControls() override;

private:
    EncoderOutAddresses a_;
    QComboBox* cDiv_ = nullptr;
};

} // namespace kelm
