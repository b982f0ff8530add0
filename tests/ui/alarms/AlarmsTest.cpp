#include "ui/drive/FakeShell.h"

#include "core/config/ConfigurationSet.h"
#include "ui/alarms/AlarmWindow.h"
#include "ui/alarms/AlarmWords.h"
#include "ui/alarms/TFAllarms.h"

#include <QCoreApplication>
#include <QMdiSubWindow>
#include <QPushButton>
#include <gtest/gtest.h>
#include <optional>

namespace kelm::test {
namespace {

ParamTable Table() {
    return ParamTable::MakeSynthetic(QStringLiteral("R"), 0, 130);
}

void Set(ParamTable& table, std::uint16_t address, std::uint16_t value) {
    table.FindByAddress(address)->DriveValue = static_cast<std::int16_t>(value);
}

TEST(AlarmWords, LowRegisterGivesTheLowBitsPerKind) {
    ParamTable t = Table();
    const std::uint16_t values[][2] = {{51, 0x8000}, {52, 1},      {83, 0xFFFF}, {84, 2},
                                       {86, 4},      {87, 0x8000}, {116, 0x10},  {120, 0x100}};
    for (const auto& [address, value] : values)
        Set(t, address, value);
    const AlarmWords std = ReadAlarmWords(t, DeviceKind::Std);
    EXPECT_EQ(std.Active, 0x00018000u);
    EXPECT_EQ(std.Historic, 0x0002FFFFu);
    EXPECT_EQ(ReadAlarmWords(t, DeviceKind::Orca230).Active, std.Active);
    const AlarmWords power = ReadAlarmWords(t, DeviceKind::Power);
    EXPECT_EQ(power.Active, 0x0002FFFFu);
    EXPECT_EQ(power.Historic, 0x80000004u);
    const AlarmWords drive = ReadAlarmWords(t, DeviceKind::Drive);
    EXPECT_EQ(drive.Active, 0x10u);
    EXPECT_EQ(drive.Historic, 0x01000000u);
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

TEST_F(WindowFixture, LampsFollowActiveBitsAndLatchesTheHistoricOnes) {
    words.Active = (1u << 15) | (1u << 16); // bit 15 of 51 and bit 0 of 52
    words.Historic = 1u << 31;
    TFAllarms w({"1 Over Current", "2 Over Voltage"}, [this] { return words; }, {});
    EXPECT_EQ(w.windowTitle(), "Alarms");
    EXPECT_EQ(w.RowText(1), "2 Over Voltage");
    EXPECT_EQ(w.RowText(31), ""); // rows without text are created empty
    EXPECT_TRUE(w.LampLit(15));   // row 16
    EXPECT_TRUE(w.LampLit(16));   // row 17
    EXPECT_FALSE(w.LampLit(14));
    EXPECT_TRUE(w.RowLatched(31));
    EXPECT_EQ(w.LatchRepaints(), 1);
    w.Refresh(); // unchanged rows are not repainted
    EXPECT_EQ(w.LatchRepaints(), 1);
    words = {0, 0};
    w.Refresh();
    EXPECT_FALSE(w.LampLit(15));
    EXPECT_FALSE(w.RowLatched(31));
    EXPECT_EQ(w.LatchRepaints(), 2);
}

TEST_F(WindowFixture, ResetAsksFirstAndRunsWithTheWindowDisabled) {
    words.Historic = 0x5;
    TFAllarms w(
        QStringList(), [this] { return words; }, [this] { return Reset(); });
    window = &w;
    messages.ScriptAnswers({false});
    w.ResetButton()->click();
    EXPECT_EQ(resets, 0);
    ASSERT_EQ(messages.Texts().size(), 1);
    EXPECT_EQ(messages.Texts()[0], "Reset All Alarms? ");
    messages.ScriptAnswers({true});
    w.ResetButton()->click();
    EXPECT_EQ(resets, 1);
    EXPECT_FALSE(enabledDuringReset);
    EXPECT_TRUE(w.isEnabled());
    // The latches clear on the next refresh after the poll read the cleared words.
    EXPECT_TRUE(w.RowLatched(0));
    w.Refresh();
    EXPECT_FALSE(w.RowLatched(0));
}

// Runs the deferred deletes a close leaves behind.
bool AlarmWindowGone() {
    for (int i = 0; i < 20 && AlarmWindow(); ++i)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return AlarmWindow() == nullptr;
}

// One instance in the frame. A new main window may take the place of a destroyed one at the
// same address: the alarm window registers with it anew and leaves the new window's other
// registrations alone.
TEST(AlarmWindow, OneInstancePerFrameAndANewMainWindowKeepsItsRegistrations) {
    std::optional<FakeShell> shell;
    shell.emplace();
    // One instance in the frame, closed by CloseChildWindows.
    shell->Driver().SelectDeviceKind(DeviceKind::Std, false);
    ShowAlarmWindow(*shell);
    TFAllarms* first = AlarmWindow();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(shell->Frame()->subWindowList().size(), 1);
    EXPECT_EQ(first->RowText(0), shell->Driver().Config().ActiveAlarmTexts().value(0));
    EXPECT_FALSE(first->ResetButton()->isEnabled()); // off line: nothing to reset
    shell->Children().NotifyOnline(true);
    EXPECT_TRUE(first->ResetButton()->isEnabled());
    ShowAlarmWindow(*shell);
    EXPECT_EQ(AlarmWindow(), first);
    EXPECT_EQ(shell->Frame()->subWindowList().size(), 1);
    // The poll's refresh reaches it.
    shell->Driver().ActiveTable().FindByAddress(51)->DriveValue = 4;
    RefreshAlarmWindow();
    EXPECT_TRUE(first->LampLit(2));
    shell->CloseChildWindows(false, true);
    EXPECT_TRUE(AlarmWindowGone());
    RefreshAlarmWindow(); // harmless without a window
    ShowAlarmWindow(*shell);
    EXPECT_NE(AlarmWindow(), nullptr);
    shell->CloseChildWindows(false, false);
    EXPECT_TRUE(AlarmWindowGone());
    ShowAlarmWindow(*shell);
    ASSERT_NE(AlarmWindow(), nullptr);
    ChildWindows* firstRegistry = &shell->Children();
    shell.reset();
    EXPECT_EQ(AlarmWindow(), nullptr); // went with its frame

    shell.emplace();
    ASSERT_EQ(&shell->Children(), firstRegistry);
    bool pageClosed = false;
    shell->Children().Register(ChildWindows::Role::ParameterPage, QStringLiteral("TFMotor"),
                               [&](bool) { pageClosed = true; });
    ShowAlarmWindow(*shell);
    ASSERT_NE(AlarmWindow(), nullptr);
    EXPECT_TRUE(shell->Children().IsRegistered(QStringLiteral("TFMotor")));
    EXPECT_TRUE(shell->Children().IsRegistered(QStringLiteral("TFAllarms")));
    shell->CloseChildWindows(false, false);
    EXPECT_TRUE(pageClosed);
    EXPECT_TRUE(AlarmWindowGone());
    // Opened again in the same main window: still one registration.
    ShowAlarmWindow(*shell);
    shell->CloseChildWindows(false, false);
    EXPECT_TRUE(AlarmWindowGone());
    shell.reset();
}

} // namespace
} // namespace kelm::test
