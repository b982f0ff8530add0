#include "ui/diagnostic/ToolFixture.h"

#include "core/drive/TDriver.h"
#include "core/drive/status/StatusFormats.h"
#include "ui/status/StatusMonitor.h"
#include "ui/status/StatusPanelWidget.h"

#include <QComboBox>
#include <QLabel>

namespace kelm::test {
namespace {

// The status monitor in the main window on a simulated plain drive: the poll runs through
// the driver's worker, paints the panel and carries the user's requests to the drive.
using StatusMonitorTest = ToolFixture;

TEST_F(StatusMonitorTest, PollsTheDriveAndWritesTheUsersChoices) {
    BuildEngine(sim::SimKind::Std);
    ShellFlows flows;
    flows.MakeStatusPanel = &StatusMonitor::Make;
    ShowCancelled(flows);
    SelectWith(EnterNumber("1"));
    ASSERT_TRUE(window_->Driver().Online());
    auto& monitor = dynamic_cast<StatusMonitor&>(window_->Panel());
    StatusPanelWidget& panel = monitor.Panel();
    const ParamEntry* bus = window_->Driver().ActiveTable().FindByAddress(53);
    ASSERT_NE(bus, nullptr);
    EXPECT_TRUE(WaitFor([&] {
        return !panel.LBus->text().isEmpty() &&
               panel.LBus->text() == FormatFiveDigits(bus->DriveValue);
    }));

    panel.COut[0]->setCurrentIndex(7);
    emit panel.COut[0]->activated(7);
    monitor.PressEnable();
    EXPECT_TRUE(WaitFor(
        [&] { return SimRegister(1, 66) == 7 && !panel.RequestPending(DriveRequest::Enable); }));
    EXPECT_FALSE(panel.SelectorChanged(0));
}

} // namespace
} // namespace kelm::test
