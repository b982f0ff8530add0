#include "ui/shell/CommandRules.h"

#include <gtest/gtest.h>

namespace kelm {
namespace {

CommandStates States(DeviceKind kind, bool online, bool expert = false, int family = 0,
                     bool bootRecord = false) {
    CommandInputs in;
    in.Kind = kind;
    in.Online = online;
    in.Expert = expert;
    in.ModelFamily = family;
    in.BootRecordUsable = bootRecord;
    in.DeviceAddress = 7;
    in.LinkBaseAddress = 3;
    return ComputeCommandStates(in);
}

TEST(CommandRules, CommandsByLineStateAndOnLineLayoutForEveryKind) {
    // A Power unit has no drive commands, drive group, tuning or profile tool; the link kinds
    // have the link selection and the alarm list; the plain kinds the defaults commands.
    struct Row {
        DeviceKind kind;
        const char* driveMenu;
        bool link, plain;
        const char* deviceId; // drive unit number = device address (7) - link base (3)
        int idWidth;
    };
    const Row rows[] = {{DeviceKind::Std, "D&rive", false, true, "007", 30},
                        {DeviceKind::Power, "TA&RN Power", true, false, "Tarn Pwr", 70},
                        {DeviceKind::Drive, "TA&RN Drive", true, false, "Tarn Drv4", 70},
                        {DeviceKind::Orca230, "D&RIVE", false, true, "Tarn", 100}};
    for (const Row& r : rows) {
        const bool power = r.kind == DeviceKind::Power;
        for (bool online : {false, true}) {
            SCOPED_TRACE(DeviceKindText(r.kind).toStdString() + (online ? " on" : " off"));
            const CommandStates s = States(r.kind, online);
            for (Command c :
                 {Command::Open, Command::Exit, Command::UserChange, Command::SelectDrive,
                  Command::ScopeOpenFile, Command::About, Command::FileCompare})
                EXPECT_TRUE(s[c].Visible && s[c].Enabled) << InfoOf(c).Name;
            // Hidden in every state; Save waits for the main parameter page.
            for (Command c : {Command::TarnPort, Command::NewTable, Command::DiagnosticView})
                EXPECT_FALSE(s[c].Visible) << InfoOf(c).Name;
            for (Command c : {Command::NewTable, Command::Save, Command::SaveAs})
                EXPECT_FALSE(s[c].Enabled) << InfoOf(c).Name;
            EXPECT_FALSE(s.DiagnosticMenuVisible);
            for (Command c : {Command::GeneralSettings, Command::SaveEeprom, Command::LoadEeprom,
                              Command::DriveCompare, Command::LoadDefaults, Command::ResetDrive})
                EXPECT_EQ(s[c].Enabled, online) << InfoOf(c).Name;
            for (Command c : {Command::MotorPhasing, Command::SpeedOffset, Command::TorqueOffset,
                              Command::Oscilloscope, Command::Enable, Command::Disable})
                EXPECT_EQ(s[c].Enabled, online && !power) << InfoOf(c).Name;
            EXPECT_EQ(s.Panel.EnableButtonsEnabled, online && !power);
            EXPECT_EQ(s[Command::ProfileTool].Enabled, online && r.plain);
            EXPECT_EQ(s.Panel.AlarmButtonEnabled, online);
            EXPECT_EQ(s.ParameterPageFileMenuEnabled, online);
            EXPECT_EQ(s[Command::ComPort].Enabled, !online);
            EXPECT_EQ(s.LineStateText, online ? "On Line" : "Off Line");
            EXPECT_EQ(s[Command::SelectTarnLink].Visible, online && r.link);
            EXPECT_EQ(s.DeviceIdText, online ? r.deviceId : "");
            EXPECT_EQ(s.DeviceIdWidth, online ? r.idWidth : 30);
            // The firmware loader: on line, with a record, drive kinds only.
            EXPECT_FALSE(s[Command::Bootloader].Visible);
            EXPECT_EQ(States(r.kind, online, false, 0, true)[Command::Bootloader].Visible,
                      online && (r.kind == DeviceKind::Drive || r.kind == DeviceKind::Orca230));
            // Off line the panel's selectors are locked and its values and marks cleared.
            EXPECT_EQ(s.Panel.Selector1Enabled, online && !power);
            if (!online) {
                EXPECT_FALSE(s.Panel.Selector2Enabled);
                EXPECT_TRUE(s.Panel.ClearValues && s.Panel.ClearSelectorMarks);
                continue;
            }
            EXPECT_EQ(s.DriveMenuCaption, r.driveMenu);
            EXPECT_EQ(s.TuningMenuVisible, !power);
            EXPECT_EQ(s[Command::LoadDefaults].Visible, r.plain);
            EXPECT_EQ(s[Command::ResetDrive].Visible, r.plain);
            EXPECT_EQ(s[Command::ProfileTool].Visible, !power);
            EXPECT_EQ(s.Panel.AlarmListGroupVisible, r.link);
            EXPECT_EQ(s.Panel.DriveGroupVisible, !power);
            for (Command c : {Command::Enable, Command::Disable})
                EXPECT_EQ(s[c].Visible, !power) << InfoOf(c).Name;
            EXPECT_EQ(s.Panel.PowerGroupVisible, power);
            EXPECT_EQ(s.Panel.LcdGroupVisible, r.kind == DeviceKind::Orca230);
        }
    }
    EXPECT_EQ(DeviceIdText(DeviceKind::Std, 0, 0), "000");
    EXPECT_EQ(DeviceIdText(DeviceKind::Std, 255, 0), "255");
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

TEST(CommandRules, StatusPanelRowsSelectorsAndCaptions) {
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
    EXPECT_EQ(drive.Panel.Analog1Caption, "View1");
    EXPECT_EQ(drive.Panel.Analog2Caption, "View2");
    const CommandStates orca = States(DeviceKind::Orca230, true);
    EXPECT_TRUE(orca.Panel.OrcaRowsVisible);
    EXPECT_FALSE(orca.Panel.Selector2Enabled);
    EXPECT_FALSE(orca.Panel.Analog2Visible);
    EXPECT_EQ(orca.Panel.Analog1Caption, "Monitor");
    EXPECT_EQ(States(DeviceKind::Std, false).Panel.Analog2Caption, "Analog Out2");
    // Selector lists: list index = register value; a Drive without labels lists 0 to 255;
    // loaded labels win for every kind.
    const QStringList first = BuiltInSelectorList(1);
    ASSERT_EQ(first.size(), 11);
    EXPECT_EQ(first.at(7), "V_bus");
    EXPECT_EQ(BuiltInSelectorList(2).front(), "Iq");
    const QStringList numbers = SelectorEntries(DeviceKind::Drive, 1, {});
    ASSERT_EQ(numbers.size(), 256);
    EXPECT_EQ(numbers.back(), "255");
    EXPECT_EQ(SelectorEntries(DeviceKind::Drive, 2, {"a", "b"}), QStringList({"a", "b"}));
    EXPECT_EQ(SelectorEntries(DeviceKind::Orca230, 1, {}), first);
}

} // namespace
} // namespace kelm
