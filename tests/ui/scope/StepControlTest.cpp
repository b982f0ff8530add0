// The oscilloscope's Step control on the in-memory drive: refused with the reason, asked
// once, armed before the step, back to 0 on Stop and at the end, figures shown.
#include "ui/scope/StepControl.h"
#include "app/InstallFlows.h"
#include "core/drive/TDriver.h"
#include "diagnostic/ToolFixture.h"
#include "pages/GateLog.h"
#include "ui/scope/OscilloWindow.h"
#include "ui/scope/TFOscillo.h"
#include "ui/widgets/TPNumEdit.h"

#include <QLabel>
#include <QPushButton>

namespace kelm::test {
namespace {

using StepControlTest = ToolFixture;
using Writes = std::vector<std::pair<int, int>>;

TEST_F(StepControlTest, RefusesAsksOnceAndReturnsToZero) {
    BuildEngine(sim::SimKind::Std);
    SetSimRegister(1, 71, 1); // Digital Speed
    dialogs_->SetDefaultDialogHandler([](QDialog& d) { ScriptedDialogs::WaitClosed(d, 30000); });
    ShellFlows flows = ProgramFlows();
    flows.SelectDrive = {};
    ASSERT_NO_FATAL_FAILURE(ShowOnline(flows));
    window_->Run(Command::Oscilloscope);
    TFOscillo* scope = OscilloWindow();
    ASSERT_NE(scope, nullptr);
    StepControl* step = scope->Step();
    GateLog log(window_->Driver());

    step->StepButton()->click();
    EXPECT_EQ(messages_.Texts().back(), QStringLiteral("No step: the drive is not enabled."));
    EXPECT_TRUE(log.Writes().empty());

    Control(QStringLiteral("input 1 0 on"));
    messages_.ScriptAnswers({true});
    step->DurationField()->WrValore(5000);
    step->StepButton()->click();
    ASSERT_TRUE(step->Source().Active());
    EXPECT_TRUE(scope->StartButton()->isChecked());
    const int raw = SimRegister(1, 80);
    EXPECT_GT(raw, 0);
    scope->StopButton()->click();
    EXPECT_FALSE(step->Source().Active());
    EXPECT_EQ(SimRegister(1, 80), 0);
    const Writes first = log.Writes();
    ASSERT_GE(first.size(), 3U);
    EXPECT_EQ(Writes(first.end() - 3, first.end()), (Writes{{50000, 1}, {80, raw}, {80, 0}}));

    // The second step is not asked again; it ends by itself and its figures are shown.
    ASSERT_TRUE(WaitFor([scope] { return !scope->Session().Running(); }, 30000));
    const qsizetype boxes = messages_.Texts().size();
    const std::size_t before = log.Writes().size();
    step->DurationField()->WrValore(300);
    step->StepButton()->click();
    ASSERT_TRUE(WaitFor(
        [&] {
            return !step->Figures()->text().isEmpty() && !step->Source().Active() &&
                   !scope->Session().Running();
        },
        30000));
    EXPECT_EQ(messages_.Texts().size(), boxes);
    EXPECT_TRUE(step->Figures()->text().startsWith(QStringLiteral("Overshoot ")))
        << qPrintable(step->Figures()->text());
    EXPECT_EQ(SimRegister(1, 80), 0);
    const Writes all = log.Writes();
    const Writes second(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    for (const auto& write : Writes{{50000, 1}, {80, raw}, {80, 0}, {50000, 0}})
        EXPECT_NE(std::find(second.begin(), second.end(), write), second.end()) << write.first;
}

} // namespace
} // namespace kelm::test
