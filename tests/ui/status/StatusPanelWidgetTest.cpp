#include "ui/status/StatusPanelWidget.h"
#include "core/rules/CommandRules.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace kelm::test {
namespace {

// The layouts the main window computes.
StatusPanelLayout Layout(bool online, DeviceKind kind) {
    CommandInputs in;
    in.Kind = kind;
    in.Online = online;
    return ComputeCommandStates(in).Panel;
}

struct PanelTest : ::testing::Test {
    StatusPanelWidget panel;
};

TEST_F(PanelTest, AlarmButtonRequestGroupAndPowerLayout) {
    panel.ApplyLayout(Layout(true, DeviceKind::Std));
    QStringList captions{panel.BAllarm->text()};
    for (const bool alarm : {true, false})
        panel.ShowAlarmState(alarm), captions << panel.BAllarm->text();
    EXPECT_EQ(captions, QStringList({"&Empty", "&Present", "&Empty"}));
    // The request buttons form a group; the writes are AlarmWindowTest's.
    panel.PressEnable();
    EXPECT_TRUE(panel.RequestPending(DriveRequest::Enable));
    panel.PressDisable();
    EXPECT_TRUE(!panel.RequestPending(DriveRequest::Enable) &&
                panel.RequestPending(DriveRequest::Disable));
    panel.ApplyLayout(Layout(false, DeviceKind::Std));
    panel.ShowAlarmState(true);
    EXPECT_EQ(panel.BAllarm->text(), "&Empty");
    // A Power unit shows its own group only.
    panel.ApplyLayout(Layout(true, DeviceKind::Power));
    EXPECT_EQ((std::vector{panel.GPowerStatus->isHidden(), panel.GDriveStatus->isHidden(),
                           panel.PDive->isHidden(), panel.GAlarmList->isHidden()}),
              (std::vector{false, true, true, false}));
    EXPECT_FALSE(panel.RequestButtonsEnabled());
}

// The selectors follow the drive, show nothing for a value out of their list, and keep the
// user's pick until it is written (the write is AlarmWindowTest's).
TEST_F(PanelTest, SelectorsFollowDriveUntilUserPicks) {
    panel.ApplyLayout(Layout(true, DeviceKind::Std));
    ASSERT_EQ(panel.COut[0]->count(), 11);
    EXPECT_EQ(panel.COut[0]->itemText(10), "10");
    EXPECT_EQ(panel.COut[1]->itemText(0), "Iq");
    StatusView view;
    view.SelectorValue = {2, 40};
    panel.SetViewSource([&] { return view; });
    panel.StatusRefresh();
    EXPECT_EQ(std::pair(panel.COut[0]->currentIndex(), panel.COut[1]->currentIndex()),
              std::pair(2, -1));
    panel.COut[0]->setCurrentIndex(7); // "V_bus"
    emit panel.COut[0]->activated(7);
    EXPECT_TRUE(panel.SelectorChanged(0));
    panel.StatusRefresh();
    EXPECT_EQ(panel.COut[0]->currentIndex(), 7);
}

// The second output shows only with its selector enabled, except on a Drive unit; off line
// clears everything.
TEST_F(PanelTest, ShowsTheViewAndGoingOffLineClearsEverything) {
    StatusPanelLayout layout = Layout(true, DeviceKind::Std);
    layout.Selector2Enabled = false; // family 3
    panel.ApplyLayout(layout);
    StatusView view;
    view.Speed = "00042";
    view.OutputValue = {"00001", "00002"};
    view.DriveEnabled = true;
    panel.ShowStatus(view);
    EXPECT_EQ(panel.LOutValue[0]->text() + "|" + panel.LOutValue[1]->text(), "00001|");
    EXPECT_FALSE(panel.SDriveState->isHidden());
    layout = Layout(true, DeviceKind::Drive);
    layout.Selector2Enabled = false;
    panel.ApplyLayout(layout);
    view.Kind = DeviceKind::Drive;
    panel.ShowStatus(view);
    EXPECT_EQ(panel.LOutValue[1]->text(), "00002");

    panel.PressEnable();
    emit panel.COut[0]->activated(1);
    panel.ApplyLayout(Layout(false, DeviceKind::Drive));
    EXPECT_EQ(panel.LSpeed->text() + panel.LOutValue[1]->text(), "");
    EXPECT_EQ(panel.COut[0]->currentIndex(), -1);
    // Nothing pending, nothing to press, no state marker.
    EXPECT_EQ((std::vector{panel.SelectorChanged(0), panel.COut[0]->isEnabled(),
                           panel.RequestPending(DriveRequest::Enable), panel.BDEn->isEnabled(),
                           panel.BAllarm->isEnabled(), !panel.SDriveState->isHidden()}),
              std::vector<bool>(6, false));
}

} // namespace
} // namespace kelm::test
