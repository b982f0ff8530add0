#include "ui/diagnostic/ToolFixture.h"

#include "core/drive/TDriver.h"
#include "ui/commissioning/TFTuning.h"
#include "ui/commissioning/TuningCommands.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace kelm::test {
namespace {

// The Tuning menu on the simulated drive: the question, the wait dialog over the disabled
// main window (its bar moving, Cancel usable, for the offsets too, where it withdraws the
// request), the result message.
class TuningCommandTest : public ToolFixture {};

TEST_F(TuningCommandTest, PhasingSucceedsAndAnOffsetRunIsCancelled) {
    BuildEngine(sim::SimKind::Std);
    ShellFlows flows;
    InstallTuningCommands(flows);
    ShowOnline(flows);
    Control(QStringLiteral("procdelay 1 300"));
    messages_.ScriptAnswers({true, true});
    QStringList seen;
    const auto watch = [&](bool cancel) {
        return [&, cancel](QDialog& dialog) {
            auto& tuning = static_cast<TFTuning&>(dialog);
            seen << tuning.LCaption->text();
            EXPECT_TRUE(!window_->isEnabled() && tuning.BCanc->isVisible() &&
                        tuning.BCanc->isEnabled() && !tuning.BOk->isVisible());
            if (cancel) // else the bar shows activity while the drive works
                tuning.BCanc->click();
            else
                EXPECT_TRUE(WaitFor([&] { return tuning.Bar->value() > 5; }, 2000));
            EXPECT_TRUE(ScriptedDialogs::WaitClosed(dialog, 5000));
        };
    };
    dialogs_->OnNextDialog(watch(false));
    window_->Run(Command::MotorPhasing);
    EXPECT_TRUE(window_->isEnabled() && (SimRegister(1, 69) & 0x10) == 0);

    Control(QStringLiteral("procfault 1 hang"));
    dialogs_->OnNextDialog(watch(true));
    window_->Run(Command::SpeedOffset);
    // Cancel withdrew the request: the drive will not store a new offset.
    EXPECT_EQ(SimRegister(1, 69) & 0x08, 0);
    EXPECT_EQ(seen, QStringList({"Motor Phasing...Wait", "Tuning Analog Input 1 (Speed) ...Wait"}));
    EXPECT_EQ(messages_.Texts(),
              QStringList({"Make Auto Phase Motor Feedback",
                           "MOTOR PHASING SUCCESSFUL\r\rPhase Value:01234",
                           "Make Analog Input 1 Tuning", "ANALOG INPUT 1 OFFSET TUNING FAIL !"}));
    EXPECT_TRUE(WaitFor([this] { return window_->Driver().Mode() == WorkerMode::StatusPoll; }));
}

} // namespace
} // namespace kelm::test
