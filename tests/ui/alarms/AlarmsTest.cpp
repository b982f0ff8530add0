#include "ui/diagnostic/ToolFixture.h"

#include "core/config/ConfigurationSet.h"
#include "core/drive/TDriver.h"
#include "core/drive/status/StatusFormats.h"
#include "ui/alarms/AlarmWindow.h"
#include "ui/alarms/AlarmWords.h"
#include "ui/alarms/TFAllarms.h"
#include "ui/status/StatusMonitor.h"
#include "ui/status/StatusPanelWidget.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>
#include <gtest/gtest.h>

namespace kelm::test {
namespace {

TEST(AlarmWords, LowRegisterGivesTheLowBitsPerKind) {
    ParamTable t = ParamTable::MakeSynthetic(QStringLiteral("R"), 0, 130);
    const std::uint16_t values[][2] = {{51, 0x8000}, {52, 1},      {83, 0xFFFF}, {84, 2},
                                       {86, 4},      {87, 0x8000}, {116, 0x10},  {120, 0x100}};
    for (const auto& [address, value] : values)
        t.FindByAddress(address)->DriveValue = static_cast<std::int16_t>(value);
    const AlarmWords std = ReadAlarmWords(t, DeviceKind::Std);
    EXPECT_EQ(std::pair(std.Active, std.Historic), std::pair(0x00018000u, 0x0002FFFFu));
    const AlarmWords power = ReadAlarmWords(t, DeviceKind::Power);
    EXPECT_EQ(std::pair(power.Active, power.Historic), std::pair(0x0002FFFFu, 0x80000004u));
    const AlarmWords drive = ReadAlarmWords(t, DeviceKind::Drive);
    EXPECT_EQ(std::pair(drive.Active, drive.Historic), std::pair(0x10u, 0x01000000u));
    EXPECT_EQ(ReadAlarmWords(ParamTable(), DeviceKind::Std).Active, 0u);
}

struct WindowFixture : ::testing::Test {
    bool Reset() {
        enabledDuringReset = window && window->isEnabled();
        ++resets;
        words.Historic = 0;
        return true;
    }
    AlarmWords words;
    TFAllarms* window = nullptr;
    bool enabledDuringReset = true;
    int resets = 0;
    RecordingMessages messages;
};

TEST_F(WindowFixture, LampsFollowActiveBitsLatchHistoricOnesAndResetAsksFirst) {
    words.Active = (1u << 15) | (1u << 16); // bit 15 of 51 and bit 0 of 52
    words.Historic = 1u << 31;
    TFAllarms w(
        {"1 Over Current", "2 Over Voltage"}, [this] { return words; }, [this] { return Reset(); });
    window = &w;
    // Rows without text are created empty.
    EXPECT_EQ((QStringList{w.windowTitle(), w.RowText(1), w.RowText(31)}),
              (QStringList{"Alarms", "2 Over Voltage", ""}));
    EXPECT_EQ((std::vector{w.LampLit(14), w.LampLit(15), w.LampLit(16)}),
              (std::vector{false, true, true})); // rows 15 to 17
    EXPECT_TRUE(w.RowLatched(31));
    // Reset asks first and runs with the window disabled.
    messages.ScriptAnswers({false});
    w.ResetButton()->click();
    EXPECT_EQ(std::tuple(resets, messages.Texts()),
              std::tuple(0, QStringList{"Reset All Alarms? "}));
    messages.ScriptAnswers({true});
    w.ResetButton()->click();
    EXPECT_TRUE(resets == 1 && !enabledDuringReset && w.isEnabled());
    // Lamps and latches clear on the next refresh after the poll read the cleared words.
    EXPECT_TRUE(w.RowLatched(31));
    words.Active = 0;
    w.Refresh();
    EXPECT_FALSE(w.LampLit(15) || w.RowLatched(31));
}

// Runs the deferred deletes a close leaves behind.
bool AlarmWindowGone() {
    for (int i = 0; i < 20 && AlarmWindow(); ++i)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return AlarmWindow() == nullptr;
}

struct AlarmWindowTest : ToolFixture {
    void Show() {
        ShellFlows flows;
        flows.ShowAlarmWindow = &ShowAlarmWindow;
        flows.AfterStatusRefresh = [](ShellHost&) { RefreshAlarmWindow(); };
        flows.MakeStatusPanel = &StatusMonitor::Make;
        ShowCancelled(flows);
    }
    int SubWindows() { return static_cast<int>(window_->Frame()->subWindowList().size()); }
};

// One instance in the frame, refreshed by the poll like the status monitor, gone with its
// main window. (A stale registration of a former main window is ChildWindowsTest's.)
TEST_F(AlarmWindowTest, OneInstanceFollowsThePollWithTheStatusMonitorAndGoesWithItsWindow) {
    BuildEngine(sim::SimKind::Std);
    Show();
    ShowAlarmWindow(*window_);
    TFAllarms* first = AlarmWindow();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->RowText(0), window_->Driver().Config().ActiveAlarmTexts().value(0));
    EXPECT_FALSE(first->ResetButton()->isEnabled()); // off line: nothing to reset
    window_->Children().NotifyOnline(true);
    EXPECT_TRUE(first->ResetButton()->isEnabled());
    // A selection reads the table and closes it.
    SelectWith(EnterNumber("1"));
    ASSERT_TRUE(window_->Driver().Online());
    EXPECT_TRUE(AlarmWindowGone());
    ShowAlarmWindow(*window_);
    TFAllarms* second = AlarmWindow();
    ShowAlarmWindow(*window_); // only brings it up
    EXPECT_EQ(std::tuple(AlarmWindow(), SubWindows(), second->ResetButton()->isEnabled()),
              std::tuple(second, 1, true));
    SetSimRegister(1, 51, 4);
    EXPECT_TRUE(WaitFor([&] { return second->LampLit(2); }));
    // The status monitor beside it shows the poll and carries the user's choices to the drive.
    auto& monitor = dynamic_cast<StatusMonitor&>(window_->Panel());
    StatusPanelWidget& panel = monitor.Panel();
    EXPECT_TRUE(WaitFor([&] { return panel.BAllarm->text() == "&Present"; })); // alarm 3 above
    const ParamEntry* bus = window_->Driver().ActiveTable().FindByAddress(53);
    EXPECT_TRUE(WaitFor([&] {
        return !panel.LBus->text().isEmpty() &&
               panel.LBus->text() == FormatFiveDigits(bus->DriveValue);
    }));
    panel.COut[0]->setCurrentIndex(7);
    emit panel.COut[0]->activated(7);
    monitor.PressEnable();
    EXPECT_TRUE(WaitFor([&] {
        return SimRegister(1, 66) == 7 && !panel.RequestPending(DriveRequest::Enable) &&
               !panel.SelectorChanged(0);
    }));
    window_->CloseChildWindows({});
    EXPECT_TRUE(AlarmWindowGone());
    RefreshAlarmWindow(); // harmless without a window
    ShowAlarmWindow(*window_);
    ASSERT_NE(AlarmWindow(), nullptr);
    window_.reset();
    EXPECT_EQ(AlarmWindow(), nullptr); // went with its frame
}

} // namespace
} // namespace kelm::test
