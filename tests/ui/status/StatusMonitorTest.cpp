#include "ui/drive/FakeShell.h"

#include "ui/drive/SelectDrive.h"
#include "ui/status/StatusMonitor.h"
#include "ui/status/StatusPanelWidget.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace kelm::test {
namespace {

// The status monitor on a simulated plain drive: the poll runs through the driver's
// worker, paints the panel and carries the user's requests to the drive.
TEST(StatusMonitor, PollsTheSimulatedDriveAndWritesTheUsersChoices) {
    const LinkPortScan previous = InstallLinkPortScan([] { return std::vector<DiscoveredPort>(); });
    FakeShell shell;
    StatusMonitor monitor(shell, nullptr);
    StatusPanelWidget& panel = monitor.Panel();
    StatusPanelLayout layout;
    layout.Online = true;
    layout.ClearValues = false;
    layout.Selector1Entries = {"a", "b", "c", "d", "e", "f", "g", "V_bus", "i"};
    layout.Selector1Enabled = true;
    layout.EnableButtonsEnabled = true;
    layout.AlarmButtonEnabled = true;
    monitor.ApplyLayout(layout);

    shell.dialogs.OnNextDialog([](QDialog& d) {
        auto& dialog = static_cast<TFSelectDriver&>(d);
        dialog.EId->setText("1");
        dialog.BStdOk->click();
    });
    SelectDrive(shell);
    ASSERT_TRUE(shell.Driver().Online());
    ASSERT_TRUE(WaitFor([&] { return shell.statusRefreshes >= 1; }));

    // The main window's StatusRefresh paints through Refresh().
    const ParamEntry* bus = shell.Driver().ActiveTable().FindByAddress(53);
    ASSERT_NE(bus, nullptr);
    monitor.Refresh();
    EXPECT_EQ(panel.LBus->text(), QStringLiteral("%1").arg(bus->DriveValue, 5, 10, QChar('0')));

    sim::Device* device = shell.Engine().FindDevice(1);
    ASSERT_NE(device, nullptr);
    panel.COut[0]->setCurrentIndex(7);
    emit panel.COut[0]->activated(7);
    monitor.PressEnable();
    EXPECT_TRUE(WaitFor([&] {
        const auto lock = shell.Engine().Lock();
        return device->Registers().Get(66) == 7 && !panel.RequestPending(DriveRequest::Enable);
    }));
    EXPECT_FALSE(panel.SelectorChanged(0));

    // The main window's alarm action is checked with the window; without one a click is safe.
    panel.BAllarm->click();
    InstallLinkPortScan(previous);
}

} // namespace
} // namespace kelm::test
