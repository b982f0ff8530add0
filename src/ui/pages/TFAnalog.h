#pragma once

#include "core/rules/IoRules.h"
#include "ui/pages/DialogPage.h"

#include <array>

class QLineEdit;
class QSpinBox;
class QTimer;

namespace kelm {

class ShellHost;

// The analog I/O page: filter, offset and dead band of the two analog inputs, their live
// values, and the automatic offset procedures. Offsets are shown in millivolts; their
// up-downs step the raw register and apply at once.
class TFAnalog final : public DialogPage {
    Q_OBJECT
public:
    explicit TFAnalog(ShellHost& shell, QWidget* parent = nullptr);

    // Binds the fields (the filters are limited to 10000) once the page is built.
    void Ready();
    // After each status poll: the two input values.
    void AnalogRefresh();
    // An automatic offset runs from this page: it stays open meanwhile.
    bool RunningOffset() const { return running_; }

    TPNumEdit* OffsetField(int input) const { return eOff_[input]; }
    QSpinBox* OffsetUpDown(int input) const { return udOff_[input]; }
    QLineEdit* InputValue(int input) const { return eIn_[input]; }

protected:
    void LoadControls() override;
    void RecolourControls() override;

private:
    void ShowOffset(int input);
    void OffsetStepped(int input, int raw);
    bool OffsetKey(int input, int key);
    void AutoOffset(int input);

    ShellHost& shell_;
    AnalogAddresses a_;
    std::array<TPNumEdit*, 2> eOff_{};
    std::array<QSpinBox*, 2> udOff_{};
    std::array<QLineEdit*, 2> eIn_{};
    std::array<QPushButton*, 2> bAuto_{};
    QTimer* applyTimer_ = nullptr;
    WriteOrigin stepOrigin_; // the first step the timer will apply
    bool loading_ = false;   // the program moves an up-down: no apply
    bool running_ = false;
};

} // namespace kelm
