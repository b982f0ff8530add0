#include "ui/shell/CommandRules.h"

#include <gtest/gtest.h>

namespace kelm {
namespace {

CommandStates States(DeviceKind kind, bool online, bool expert = false, int family = 0) {
    CommandInputs in;
    in.Kind = kind;
    in.Online = online;
    in.Expert = expert;
    in.ModelFamily = family;
    in.DeviceAddress = 7;
    in.LinkBaseAddress = 3;
    return ComputeCommandStates(in);
}

constexpr DeviceKind allKinds[] = {DeviceKind::Std, DeviceKind::Power, DeviceKind::Drive,
                                   DeviceKind::Orca230};

TEST(CommandRules, CommandsByLineStateForEveryKind) {
    for (DeviceKind kind : allKinds) {
        for (bool online : {false, true}) {
            const CommandStates s = States(kind, online);
            for (Command c :
                 {Command::Open, Command::Exit, Command::UserChange, Command::SelectDrive,
                  Command::ScopeOpenFile, Command::About, Command::FileCompare}) {
                EXPECT_TRUE(s[c].Visible && s[c].Enabled) << InfoOf(c).Name;
            }
            // Hidden in every state.
            EXPECT_FALSE(s[Command::TarnPort].Visible);
            EXPECT_FALSE(s[Command::NewTable].Visible);
            EXPECT_FALSE(s[Command::NewTable].Enabled);
            EXPECT_FALSE(s[Command::DiagnosticView].Visible);
            EXPECT_FALSE(s.DiagnosticMenuVisible);
            // Save waits for the main parameter page.
            EXPECT_FALSE(s[Command::Save].Enabled);
            EXPECT_FALSE(s[Command::SaveAs].Enabled);
            // On-line-only and off-line-only commands.
            EXPECT_EQ(s[Command::GeneralSettings].Enabled, online);
            EXPECT_EQ(s[Command::SaveEeprom].Enabled, online);
            EXPECT_EQ(s[Command::LoadEeprom].Enabled, online);
            EXPECT_EQ(s[Command::DriveCompare].Enabled, online);
            EXPECT_EQ(s.Panel.AlarmButtonEnabled, online);
            EXPECT_EQ(s[Command::ComPort].Enabled, !online);
            EXPECT_EQ(s.LineStateText, online ? "On Line" : "Off Line");
            EXPECT_EQ(s.ParameterPageFileMenuEnabled, online);
        }
    }
}

TEST(CommandRules, LayoutAndDeviceIdentificationByKind) {
    struct Row {
        DeviceKind kind;
        const char* driveMenu;
        bool tuning, selTarn, defaults, profile, profileOn, alarmList, driveGroup, powerGroup, lcd;
        const char* deviceId; // drive unit number = device address (7) - link base (3)
        int idWidth;
    };
    const Row rows[] = {
        {DeviceKind::Std, "D&rive", true, false, true, true, true, false, true, false, false, "007",
         30},
        {DeviceKind::Power, "TA&RN Power", false, true, false, false, false, true, false, true,
         false, "Tarn Pwr", 70},
        {DeviceKind::Drive, "TA&RN Drive", true, true, false, true, false, true, true, false, false,
         "Tarn Drv4", 70},
        {DeviceKind::Orca230, "D&RIVE", true, false, true, true, true, false, true, false, true,
         "Tarn", 100},
    };
    for (const Row& r : rows) {
        const CommandStates s = States(r.kind, true);
        SCOPED_TRACE(DeviceKindText(r.kind).toStdString());
        EXPECT_EQ(s.DriveMenuCaption, r.driveMenu);
        EXPECT_EQ(s.TuningMenuVisible, r.tuning);
        EXPECT_EQ(s[Command::SelectTarnLink].Visible, r.selTarn);
        EXPECT_EQ(s[Command::LoadDefaults].Visible, r.defaults);
        EXPECT_EQ(s[Command::ResetDrive].Visible, r.defaults);
        EXPECT_EQ(s[Command::ProfileTool].Visible, r.profile);
        EXPECT_EQ(s[Command::ProfileTool].Enabled, r.profileOn);
        EXPECT_EQ(s.Panel.EnableButtonsEnabled, r.driveGroup);
        EXPECT_EQ(s.Panel.AlarmListGroupVisible, r.alarmList);
        EXPECT_EQ(s.Panel.DriveGroupVisible, r.driveGroup);
        EXPECT_EQ(s[Command::Enable].Visible, r.driveGroup);
        EXPECT_EQ(s[Command::Disable].Visible, r.driveGroup);
        EXPECT_EQ(s.Panel.PowerGroupVisible, r.powerGroup);
        EXPECT_EQ(s.Panel.LcdGroupVisible, r.lcd);
        EXPECT_EQ(s.DeviceIdText, r.deviceId);
        EXPECT_EQ(s.DeviceIdWidth, r.idWidth);
        // Off line: no link selection, no device identification.
        EXPECT_FALSE(States(r.kind, false)[Command::SelectTarnLink].Visible);
        EXPECT_TRUE(States(r.kind, false).DeviceIdText.isEmpty());
        EXPECT_EQ(States(r.kind, false).DeviceIdWidth, 30);
    }
    EXPECT_EQ(DeviceIdText(DeviceKind::Std, 0, 0), "000");
    EXPECT_EQ(DeviceIdText(DeviceKind::Std, 255, 0), "255");
}

TEST(CommandRules, OnLineEnablesByKind) {
    const CommandStates std = States(DeviceKind::Std, true);
    const CommandStates power = States(DeviceKind::Power, true);
    const CommandStates drive = States(DeviceKind::Drive, true);
    const CommandStates orca = States(DeviceKind::Orca230, true);
    for (Command c : {Command::MotorPhasing, Command::SpeedOffset, Command::TorqueOffset,
                      Command::Oscilloscope, Command::Enable, Command::Disable}) {
        EXPECT_TRUE(std[c].Enabled) << InfoOf(c).Name;
        EXPECT_FALSE(power[c].Enabled) << InfoOf(c).Name;
        EXPECT_TRUE(drive[c].Enabled) << InfoOf(c).Name;
        EXPECT_TRUE(orca[c].Enabled) << InfoOf(c).Name;
    }
    // Off line nothing of the drive is enabled.
    for (DeviceKind kind : allKinds) {
        const CommandStates off = States(kind, false);
        for (Command c : {Command::MotorPhasing, Command::Oscilloscope, Command::ProfileTool,
                          Command::LoadDefaults, Command::ResetDrive, Command::Enable})
            EXPECT_FALSE(off[c].Enabled) << InfoOf(c).Name;
        EXPECT_FALSE(off.Panel.Selector1Enabled);
        EXPECT_FALSE(off.Panel.Selector2Enabled);
        EXPECT_TRUE(off.Panel.ClearValues);
        EXPECT_TRUE(off.Panel.ClearSelectorMarks);
    }
}

TEST(CommandRules, UserLevelGovernsDiagnosticAndUsersItem) {
    EXPECT_EQ(States(DeviceKind::Std, false).UserItemCaption, "&Change");
    EXPECT_FALSE(States(DeviceKind::Std, true)[Command::Diagnostic].Enabled);
    const CommandStates expert = States(DeviceKind::Std, false, true);
    EXPECT_EQ(expert.UserItemCaption, "&Release");
    // Diagnostic is an Expert command, on or off line (off line it says "Off Line !").
    EXPECT_TRUE(expert[Command::Diagnostic].Enabled);
    CommandInputs in;
    in.Expert = true;
    in.Online = true;
    in.OscilloscopeOpen = true;
    const CommandStates scope = ComputeCommandStates(in);
    EXPECT_FALSE(scope[Command::Diagnostic].Enabled);
    EXPECT_FALSE(scope[Command::ProfileTool].Enabled);
    // An open comparison disables the command that would open a second one.
    CommandInputs compare;
    compare.Online = true;
    compare.DriveCompareOpen = true;
    EXPECT_FALSE(ComputeCommandStates(compare)[Command::DriveCompare].Enabled);
    EXPECT_TRUE(ComputeCommandStates(compare)[Command::FileCompare].Enabled);
    compare.FileCompareOpen = true;
    EXPECT_FALSE(ComputeCommandStates(compare)[Command::FileCompare].Enabled);
}

TEST(CommandRules, TemperatureRowAndSecondSelector) {
    // Std family 3 shows the temperature row and has no second output.
    const CommandStates f3 = States(DeviceKind::Std, true, false, 3);
    EXPECT_TRUE(f3.Panel.TemperatureRowVisible);
    EXPECT_TRUE(f3.Panel.Selector1Enabled);
    EXPECT_FALSE(f3.Panel.Selector2Enabled);
    const CommandStates f1 = States(DeviceKind::Std, true, false, 1);
    EXPECT_FALSE(f1.Panel.TemperatureRowVisible);
    EXPECT_TRUE(f1.Panel.Selector2Enabled);
    const CommandStates drive = States(DeviceKind::Drive, true);
    EXPECT_TRUE(drive.Panel.TemperatureRowVisible);
    EXPECT_TRUE(drive.Panel.Selector2Enabled);
    EXPECT_FALSE(drive.Panel.ClearSelectorMarks);
    const CommandStates orca = States(DeviceKind::Orca230, true);
    EXPECT_TRUE(orca.Panel.OrcaRowsVisible);
    EXPECT_FALSE(orca.Panel.Selector2Enabled);
    EXPECT_FALSE(orca.Panel.Analog2Visible);
    EXPECT_EQ(orca.Panel.Analog1Caption, "Monitor");
    EXPECT_EQ(drive.Panel.Analog1Caption, "View1");
    EXPECT_EQ(drive.Panel.Analog2Caption, "View2");
    EXPECT_EQ(States(DeviceKind::Std, false).Panel.Analog2Caption, "Analog Out2");
}

TEST(CommandRules, SelectorContents) {
    const QStringList first = BuiltInSelectorList(1);
    ASSERT_EQ(first.size(), 11);
    EXPECT_EQ(first.at(7), "V_bus"); // list index = register value
    EXPECT_EQ(BuiltInSelectorList(2).front(), "Iq");
    // Drive without labels: the numbers 0 to 255; loaded labels win for every kind.
    const QStringList numbers = SelectorEntries(DeviceKind::Drive, 1, {});
    ASSERT_EQ(numbers.size(), 256);
    EXPECT_EQ(numbers.back(), "255");
    EXPECT_EQ(SelectorEntries(DeviceKind::Drive, 2, {"a", "b"}), QStringList({"a", "b"}));
    EXPECT_EQ(SelectorEntries(DeviceKind::Orca230, 1, {}), first);
}

TEST(CommandRules, BootloaderButtonOnlyOnLineWithRecordForDriveKinds) {
    for (DeviceKind kind : allKinds) {
        for (bool online : {false, true}) {
            for (bool record : {false, true}) {
                CommandInputs in;
                in.Kind = kind;
                in.Online = online;
                in.BootRecordUsable = record;
                const bool expected =
                    online && record && (kind == DeviceKind::Drive || kind == DeviceKind::Orca230);
                EXPECT_EQ(ComputeCommandStates(in)[Command::Bootloader].Visible, expected);
            }
        }
    }
}

TEST(CommandRules, CommandNamesAreUnique) {
    for (int i = 0; i < CommandCount; ++i)
        for (int j = i + 1; j < CommandCount; ++j)
            EXPECT_STRNE(InfoOf(static_cast<Command>(i)).Name,
                         InfoOf(static_cast<Command>(j)).Name);
}

} // namespace
} // namespace kelm
