#pragma once

#include "core/drive/scope/StepPlan.h"
#include "core/drive/scope/StepSource.h"

#include <QGroupBox>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;

namespace kelm {

class ScopeCapture;
class TDriver;
class TPNumEdit;

// The oscilloscope's " Step " group: speed and duration of a speed step, the Step button,
// and the step figures of channel 1 once the step's record has been plotted. The rules are
// StepSource's and StepPlan's; the window arms the capture with its own controls.
class StepControl : public QGroupBox {
    Q_OBJECT
public:
    // Sets the window's controls to the capture and arms it under origin; false when
    // nothing was armed.
    using ArmFunction = std::function<bool(const scope::StepCapture&, const WriteOrigin&)>;

    StepControl(TDriver& driver, const ScopeCapture& capture, ArmFunction arm,
                QWidget* parent = nullptr);
    ~StepControl() override;

    // The window's Stop, a line change, and the end of a record (plotted or not).
    void Stop() { source_->Stop(); }
    void LineChanged() { source_->LineChanged(); }
    void RecordEnded(bool plotted);

    StepSource& Source() { return *source_; }
    QPushButton* StepButton() const { return button_; }
    TPNumEdit* SpeedField() const { return speed_; }
    TPNumEdit* DurationField() const { return duration_; }
    QLabel* Figures() const { return figures_; }

private:
    void StepClicked();

    TDriver& driver_;
    const ScopeCapture& capture_;
    ArmFunction arm_;
    std::unique_ptr<StepSource> source_;
    TPNumEdit* speed_ = nullptr;
    TPNumEdit* duration_ = nullptr;
    QPushButton* button_ = nullptr;
    QLabel* figures_ = nullptr;
    bool recordPending_ = false; // the next plotted record is the step's
};

} // namespace kelm
