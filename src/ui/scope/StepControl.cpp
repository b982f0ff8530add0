#include "ui/scope/StepControl.h"

#include "core/config/ConfigurationSet.h"
#include "core/drive/TDriver.h"
#include "core/drive/scope/ScopeCapture.h"
#include "core/drive/status/StatusView.h"
#include "core/files/ScopeRecording.h"
#include "core/rules/MainDevRules.h"
#include "core/seams/Messages.h"
#include "ui/widgets/TPNumEdit.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace kelm {

namespace {

StepRegisters StepRegistersOf(DeviceKind kind) {
    const MainDevAddresses main = MainDevAddressTable(kind);
    return {main.Mode, main.DigitalSpeed, main.MaxSpeed, StatusRegistersOf(kind).DriveState};
}

TPNumEdit* Field(int min, int max, int value, QWidget* parent) {
    auto* field = new TPNumEdit(parent);
    field->WrMin(min);
    field->WrMax(max);
    field->WrValore(value);
    return field;
}

QString Figure(const std::optional<double>& value, const char* unit) {
    return value ? QString::number(*value, 'f', 1) + QLatin1String(unit) : QStringLiteral("-");
}

} // namespace

StepControl::StepControl(TDriver& driver, const ScopeCapture& capture, ArmFunction arm,
                         QWidget* parent)
    : QGroupBox(QStringLiteral(" Step "), parent), driver_(driver), capture_(capture),
      arm_(std::move(arm)),
      source_(std::make_unique<StepSource>(driver, StepRegistersOf(driver.CurrentKind()))) {
    setObjectName(QStringLiteral("PStep"));
    auto* grid = new QGridLayout(this);
    speed_ = Field(-32767, 32767, 500, this);
    speed_->setObjectName(QStringLiteral("EStepSpeed"));
    duration_ = Field(scope::MinStepMs, scope::MaxStepMs, 500, this);
    duration_->setObjectName(QStringLiteral("EStepTime"));
    button_ = new QPushButton(QStringLiteral("Step"), this);
    button_->setObjectName(QStringLiteral("BStep"));
    figures_ = new QLabel(this);
    figures_->setObjectName(QStringLiteral("LStepFigures"));
    // One row, so the panel keeps its height; the figures show once there are some.
    grid->setContentsMargins(4, 2, 4, 2);
    grid->addWidget(speed_, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("rpm"), this), 0, 1);
    grid->addWidget(duration_, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("ms"), this), 0, 3);
    grid->addWidget(button_, 0, 4);
    grid->addWidget(figures_, 1, 0, 1, 5);
    figures_->hide();
    connect(button_, &QPushButton::clicked, this, [this] { StepClicked(); });
}

StepControl::~StepControl() = default;

void StepControl::StepClicked() {
    const StepRequest request{speed_->RdValore(), duration_->RdValore()};
    source_->SetRegisters(StepRegistersOf(driver_.CurrentKind()));
    QString refusal;
    const auto plan = scope::PlanStep(driver_.Config().ActiveScopeSet(), request.Rpm,
                                      request.DurationMs, refusal);
    if (plan)
        refusal = source_->Refusal(request);
    if (!refusal.isEmpty()) {
        ShowError(StepSource::RefusalText(refusal));
        return;
    }
    if (!source_->Confirm(request))
        return;
    figures_->clear();
    figures_->hide();
    recordPending_ =
        source_->Start(request, [this, &plan] { return arm_(*plan, source_->Origin()); });
}

// Channel 1's step figures from the samples as recorded (no display offset), the step
// found where channel 2, the speed reference, jumps.
void StepControl::RecordEnded(bool plotted) {
    if (!recordPending_)
        return;
    recordPending_ = false;
    if (!plotted)
        return;
    figures_->show();
    const auto factor = [this](std::uint16_t address) -> std::int16_t {
        const ParamEntry* entry = driver_.ScopeSettingsTable().FindByAddress(address);
        return entry != nullptr ? entry->DriveValue : 0;
    };
    ScopeRecording record;
    const int count = capture_.SampleCount();
    const double window = factor(scope::TimeWindow);
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        record.Points.push_back(
            {window * i / count,
             scope::ScaledSample(capture_.Samples(0)[at], factor(scope::Factor1), 0),
             scope::ScaledSample(capture_.Samples(1)[at], factor(scope::Factor2), 0)});
    }
    const scope::RecordFigures figures =
        scope::MeasureChannel1(record, scope::StepAt::Channel2Reference);
    if (!figures.Step) {
        figures_->setText(QStringLiteral("No step in the record"));
        return;
    }
    const StepFigures& step = *figures.Step;
    figures_->setText(QStringLiteral("Overshoot %1  Rise %2\nSettling %3  Error %4")
                          .arg(Figure(step.OvershootPercent, " %"), Figure(step.RiseTimeMs, " ms"),
                               Figure(step.SettlingTimeMs, " ms"),
                               Figure(step.SteadyStateError, "")));
}

} // namespace kelm
