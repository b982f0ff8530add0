// The main window's rules: which commands it offers, its status panel, where child windows open.
#include "core/rules/CommandRules.h"
#include "core/rules/ChildPlacement.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <tuple>

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
    in.UnitAddress = 7;
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
                              Command::DriveCompare, Command::Changes, Command::LoadDefaults,
                              Command::ResetDrive})
                EXPECT_EQ(s[c].Enabled, online) << InfoOf(c).Name;
            for (Command c : {Command::MotorPhasing, Command::SpeedOffset, Command::TorqueOffset,
                              Command::Oscilloscope, Command::Enable, Command::Disable})
                EXPECT_EQ(s[c].Enabled, online && !power) << InfoOf(c).Name;
            // The firmware loader: on line, with a record, drive kinds only. Off line the
            // panel's selectors are locked and its values and marks cleared.
            const bool loader =
                online && (r.kind == DeviceKind::Drive || r.kind == DeviceKind::Orca230);
            EXPECT_EQ(
                std::tuple(s.Panel.EnableButtonsEnabled, s[Command::ProfileTool].Enabled,
                           s.Panel.AlarmButtonEnabled, s.ParameterPageFileMenuEnabled,
                           s[Command::ComPort].Enabled, s[Command::SelectTarnLink].Visible,
                           s[Command::Bootloader].Visible,
                           States(r.kind, online, false, 0, true)[Command::Bootloader].Visible,
                           s.Panel.Selector1Enabled),
                std::tuple(online && !power, online && r.plain, online, online, !online,
                           online && r.link, false, loader, online && !power));
            EXPECT_EQ(std::tuple(s.LineStateText, s.DeviceIdText, s.DeviceIdWidth),
                      std::tuple(QString(online ? "On Line" : "Off Line"),
                                 QString(online ? r.deviceId : ""), online ? r.idWidth : 30));
            if (!online) {
                EXPECT_EQ(std::tuple(s.Panel.Selector2Enabled, s.Panel.ClearValues,
                                     s.Panel.ClearSelectorMarks),
                          std::tuple(false, true, true));
                continue;
            }
            EXPECT_EQ(s.DriveMenuCaption, r.driveMenu);
            EXPECT_EQ(std::tuple(s.TuningMenuVisible, s[Command::LoadDefaults].Visible,
                                 s[Command::ResetDrive].Visible, s[Command::ProfileTool].Visible,
                                 s.Panel.AlarmListGroupVisible, s.Panel.DriveGroupVisible,
                                 s[Command::Enable].Visible, s[Command::Disable].Visible,
                                 s.Panel.PowerGroupVisible, s.Panel.LcdGroupVisible),
                      std::tuple(!power, r.plain, r.plain, !power, r.link, !power, !power, !power,
                                 power, r.kind == DeviceKind::Orca230));
        }
    }
    EXPECT_EQ(DeviceIdText(DeviceKind::Std, 0, 0) + DeviceIdText(DeviceKind::Std, 255, 0),
              "000255");
}

TEST(CommandRules, UserLevelOpenComparisonsAndAnOpenOscilloscope) {
    // Diagnostic is an Expert command, on or off line (off line it says "Off Line !").
    const CommandStates expert = States(DeviceKind::Std, false, true);
    EXPECT_EQ(States(DeviceKind::Std, false).UserItemCaption + expert.UserItemCaption,
              "&Change&Release");
    EXPECT_EQ(std::pair(expert[Command::Diagnostic].Enabled,
                        States(DeviceKind::Std, true)[Command::Diagnostic].Enabled),
              std::pair(true, false));
    // An open comparison disables the command that would open a second one.
    CommandInputs compare;
    compare.Online = compare.DriveCompareOpen = true;
    const CommandStates drive = ComputeCommandStates(compare);
    compare.FileCompareOpen = true;
    EXPECT_EQ(std::tuple(drive[Command::DriveCompare].Enabled, drive[Command::FileCompare].Enabled,
                         ComputeCommandStates(compare)[Command::FileCompare].Enabled),
              std::tuple(false, true, false));
    // An open oscilloscope: its button closes it, Select Drive closes it first, Com Port
    // follows the line; work that would take the line or change the drive's data waits.
    for (const bool online : {false, true}) {
        CommandInputs in;
        in.Online = online;
        in.Expert = true; // Diagnostic would be offered
        in.OscilloscopeOpen = true;
        const CommandStates s = ComputeCommandStates(in);
        for (Command c : {Command::Oscilloscope, Command::SelectDrive, Command::Exit})
            EXPECT_TRUE(s[c].Enabled) << InfoOf(c).Name << online;
        EXPECT_EQ(s[Command::ComPort].Enabled, !online);
        for (Command c : {Command::Open, Command::GeneralSettings, Command::SaveEeprom,
                          Command::MotorPhasing, Command::Diagnostic, Command::ProfileTool})
            EXPECT_FALSE(s[c].Enabled) << InfoOf(c).Name << online;
    }
}

TEST(CommandRules, StatusPanelRowsSelectorsAndCaptions) {
    // kind, model family -> temperature row, second selector, analog captions (on line)
    for (const auto& [kind, family, temperature, selector2, analog1, analog2] :
         {std::tuple{DeviceKind::Std, 3, true, false, "Analog Out1", "Analog Out2"},
          {DeviceKind::Std, 1, false, true, "Analog Out1", "Analog Out2"},
          {DeviceKind::Drive, 0, true, true, "View1", "View2"},
          {DeviceKind::Orca230, 0, true, false, "Monitor", ""}}) {
        const StatusPanelLayout p = States(kind, true, false, family).Panel;
        const bool orca = kind == DeviceKind::Orca230;
        EXPECT_EQ(std::tuple(p.TemperatureRowVisible, p.Selector2Enabled, p.Analog1Caption,
                             p.Analog2Caption, p.Analog2Visible, p.OrcaRowsVisible,
                             p.ClearSelectorMarks),
                  std::tuple(temperature, selector2, QString(analog1), QString(analog2), !orca,
                             orca, kind != DeviceKind::Drive))
            << analog1 << family;
    }
    // Selector lists: list index = register value; a Drive without labels lists 0 to 255;
    // loaded labels win for every kind.
    const QStringList first = BuiltInSelectorList(1);
    ASSERT_EQ(first.size(), 11);
    EXPECT_EQ(first.at(7) + BuiltInSelectorList(2).front(), "V_busIq");
    const QStringList numbers = SelectorEntries(DeviceKind::Drive, 1, {});
    EXPECT_EQ(std::tuple(numbers.size(), numbers.back()), std::tuple(256, QString("255")));
    EXPECT_EQ(SelectorEntries(DeviceKind::Drive, 2, {"a", "b"}), QStringList({"a", "b"}));
    EXPECT_EQ(SelectorEntries(DeviceKind::Orca230, 1, {}), first);
}

// Inside the free area, beside the others, cascading when full.
TEST(ChildPlacement, OpensInTheFreeAreaBesideTheOthers) {
    const QRect area(0, 0, 1000, 600);
    const QRect mainPage(0, 0, 400, 500), panel(800, 0, 200, 600);
    const int step = CascadeStep;
    struct Case {
        const char* Name;
        QRect Panel;
        std::vector<QRect> Open;
        QSize Size;
        QRect Expected;
    } const cases[] = {
        {"empty frame", {}, {}, {300, 200}, {0, 0, 300, 200}},
        {"larger than the frame", {}, {}, {1200, 700}, {0, 0, 1000, 600}},
        {"panel over the right part", panel, {}, {900, 200}, {0, 0, 800, 200}},
        {"panel outside the area", {1000, 0, 200, 600}, {}, {900, 200}, {0, 0, 900, 200}},
        {"beside the main page", {}, {mainPage}, {300, 300}, {400, 0, 300, 300}},
        {"below when no room beside", {}, {{0, 0, 800, 300}}, {300, 200}, {0, 300, 300, 200}},
        {"beside the second", {}, {mainPage, {400, 0, 300, 300}}, {250, 250}, {700, 0, 250, 250}},
        {"beside, up to the panel", panel, {mainPage}, {400, 300}, {400, 0, 400, 300}},
        {"below, no room by the panel", panel, {{0, 0, 400, 200}}, {450, 300}, {0, 200, 450, 300}},
        // No place is free: the one covering least, its caption below the other's.
        {"cascades when full", {}, {{0, 0, 1000, 300}}, {1000, 400}, {0, 200, 1000, 400}},
        {"keeps the caption seen", {}, {{0, 0, 1000, 600}}, {900, 500}, {0, 100, 900, 500}},
        {"cascades from the corner", {}, {{0, 0, 600, 600}}, {900, 500}, {step, step, 900, 500}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceChildWindow(area, c.Panel, c.Open, c.Size), c.Expected) << c.Name;
}

} // namespace
} // namespace kelm
