#include "core/rules/CommandRules.h"

#include "core/common/KindDescriptor.h"

namespace kelm {
namespace {

// clang-format off
constexpr std::array<CommandInfo, CommandCount> infos{{
    {"MDOpen", "BOpen", "&Open...", "", "Open", ""},
    {"MDSave", "BSave", "&Save", "", "", ""},
    {"MDSaveAs", "BSaveAs", "Sa&ve As...", "", "Save As..", ""},
    {"MFCompare", "", "&Compare", "", "", ""},
    {"MReport", "", "Commissioning &Report\u2026", "", "", ""},
    {"MExit", "", "&Exit", "", "", ""},
    {"MUserChange", "", "&Change", "", "", ""},
    {"MInfo", "BInfo", "&General Settings", " General Set", "General Settings", ""},
    {"MComPort", "", "&Com Port", "", "", ""},
    {"MComPortTarn", "", "&Tarn Port", "", "", ""},
    {"MIdDevice", "BSetId", "&Select Drive", "", "Set Id or Device", ""},
    {"MSelTarn", "BSelTarn", "S&elect Tarn link", "", "Select Tarn Device", ""},
    {"MCompare", "", "&Compare with File", "", "", ""},
    {"MEnable", "", "E&nable", "", "", "Ctrl+F1"},
    {"MDisable", "", "&Disable", "", "", "F1"},
    {"MMPhase", "", "Motor &Phasing", "", "", ""},
    {"MSOffset", "", "&Speed Offset", "", "", ""},
    {"MTOffset", "", "&Torque Offset", "", "", ""},
    {"MOOpen", "", "&Open File", "", "", ""},
    {"MAbout", "", "&About", "", "", ""},
    {"MViewDia", "", "&View", "", "", ""},
    {"MCloseDia", "", "&Close", "", "", ""},
    {"BSaveEE", "BSaveEE", "", "", "Save Data To EEPROM", ""},
    {"BLoadEE", "BLoadEE", "", "", "Load Data From EEPROM", ""},
    {"BLoadDef", "BLoadDef", "", "", "Load Default Data", ""},
    {"BReset", "BReset", "", "", "Reset Drive", ""},
    {"BDiagnostic", "BDiagnostic", "", "", "Diagnostic", ""},
    {"BPos", "BPos", "", "Profile Tool  ", "Kelm Profile Tool", ""},
    {"BOscillo", "BOscillo", "", " Oscilloscope", "Oscilloscope", ""},
    {"BBoot", "BBoot", "", "", "", ""},
    {"BNew", "BNew", "", "", "", ""},
}};
// clang-format on

void Set(CommandStates& s, Command c, bool visible, bool enabled) {
    s[c] = {visible, enabled};
}

} // namespace

const CommandInfo& InfoOf(Command command) {
    return infos[static_cast<std::size_t>(command)];
}

QString DeviceIdText(DeviceKind kind, std::uint8_t deviceAddress, int linkBaseAddress) {
    switch (kind) {
    case DeviceKind::Power:
        return QStringLiteral("Tarn Pwr");
    case DeviceKind::Drive:
        return QStringLiteral("Tarn Drv") + QString::number(deviceAddress - linkBaseAddress);
    case DeviceKind::Orca230:
        return QStringLiteral("Tarn");
    case DeviceKind::Std:
        break;
    }
    return QStringLiteral("%1").arg(deviceAddress, 3, 10, QLatin1Char('0'));
}

QStringList BuiltInSelectorList(int selector) {
    // Each list ends at its first empty entry; both are full here.
    QStringList list{
        QStringLiteral("Speed_Rpm"), QStringLiteral("I_Phase_U"), QStringLiteral("I2t_Drive"),
        QStringLiteral("I2t_Regen"), QStringLiteral("FF_vel"),    QStringLiteral("Posit_Err"),
        QStringLiteral("Id"),        QStringLiteral("V_bus"),     QStringLiteral("Angle"),
        QStringLiteral("Iq"),        QStringLiteral("10")};
    if (selector == 2)
        list[0] = QStringLiteral("Iq");
    return list;
}

QStringList SelectorEntries(DeviceKind kind, int selector, const QStringList& labels) {
    if (!labels.isEmpty())
        return labels;
    if (kind == DeviceKind::Drive) {
        QStringList numbers;
        for (int i = 0; i <= 255; ++i)
            numbers << QString::number(i);
        return numbers;
    }
    return BuiltInSelectorList(selector);
}

CommandStates ComputeCommandStates(const CommandInputs& in) {
    CommandStates s;
    const DeviceKind kind = in.Kind;
    const bool std = kind == DeviceKind::Std;
    const bool power = kind == DeviceKind::Power;
    const bool drive = kind == DeviceKind::Drive;
    const bool orca = kind == DeviceKind::Orca230;
    const bool on = in.Online;

    // Layout by kind.
    s.DriveMenuCaption = QString::fromLatin1(Describe(kind).DriveMenuCaption);
    s.TuningMenuVisible = !power;
    const bool driveGroup = !power; // PDive
    const bool defaultsVisible = std || orca;
    const bool profileVisible = !power;

    // Commands that do not depend on the kind.
    Set(s, Command::Open, true, true);
    Set(s, Command::Save, true, in.SaveEnabled);
    Set(s, Command::SaveAs, true, in.SaveEnabled);
    Set(s, Command::FileCompare, true, !in.FileCompareOpen);
    Set(s, Command::Report, true, on);
    Set(s, Command::Exit, true, true);
    Set(s, Command::UserChange, true, true);
    Set(s, Command::GeneralSettings, true, on);
    Set(s, Command::ComPort, true, !on);
    Set(s, Command::TarnPort, false, !on);
    Set(s, Command::SelectDrive, true, true);
    Set(s, Command::SelectTarnLink, on && (power || drive), true);
    Set(s, Command::DriveCompare, true, on && !in.DriveCompareOpen);
    const bool enableButtons = on && !power && !in.DriveRequestsHeld;
    Set(s, Command::Enable, driveGroup, enableButtons);
    Set(s, Command::Disable, driveGroup, enableButtons);
    for (Command c : {Command::MotorPhasing, Command::SpeedOffset, Command::TorqueOffset})
        Set(s, c, !power, on && !power);
    Set(s, Command::ScopeOpenFile, true, true);
    Set(s, Command::About, true, true);
    s.DiagnosticMenuVisible = in.DiagnosticMenuVisible;
    Set(s, Command::DiagnosticView, in.DiagnosticMenuVisible, true);
    Set(s, Command::DiagnosticClose, in.DiagnosticMenuVisible, true);
    Set(s, Command::SaveEeprom, true, on);
    Set(s, Command::LoadEeprom, true, on);
    Set(s, Command::LoadDefaults, defaultsVisible, on);
    Set(s, Command::ResetDrive, defaultsVisible, on);
    Set(s, Command::Diagnostic, true, in.Expert && !in.OscilloscopeOpen);
    Set(s, Command::ProfileTool, profileVisible, on && (std || orca) && !in.OscilloscopeOpen);
    // An open oscilloscope can always be closed by its button, also off line.
    Set(s, Command::Oscilloscope, true, (on && !power) || in.OscilloscopeOpen);
    Set(s, Command::Bootloader, on && (drive || orca) && in.BootRecordUsable, true);
    Set(s, Command::NewTable, false, false);

    // While the diagnostic window is open the window keeps only its Diagnostic menu: the
    // other menus and About are hidden and the buttons that start other work disabled.
    if (in.DiagnosticMenuVisible) {
        s.TuningMenuVisible = false;
        s[Command::About].Visible = false;
        for (Command c : {Command::Open, Command::SaveAs, Command::Report, Command::SelectDrive,
                          Command::SelectTarnLink, Command::SaveEeprom, Command::LoadEeprom,
                          Command::LoadDefaults, Command::ProfileTool, Command::ResetDrive,
                          Command::GeneralSettings, Command::Oscilloscope, Command::Bootloader})
            s[c].Enabled = false;
    }

    // While the oscilloscope is open, work that would take the line or change the drive's
    // data waits. The way out stays: Exit, Select Drive (which closes the oscilloscope
    // first) and, off line, Com Port.
    if (in.OscilloscopeOpen)
        for (Command c : {Command::Open, Command::Save, Command::SaveAs, Command::FileCompare,
                          Command::UserChange, Command::GeneralSettings, Command::TarnPort,
                          Command::SelectTarnLink, Command::DriveCompare, Command::MotorPhasing,
                          Command::SpeedOffset, Command::TorqueOffset, Command::SaveEeprom,
                          Command::LoadEeprom, Command::LoadDefaults, Command::ResetDrive})
            s[c].Enabled = false;

    for (int i = 0; i < CommandCount; ++i)
        if (in.WindowMissing[static_cast<std::size_t>(i)])
            s.Commands[static_cast<std::size_t>(i)].Enabled = false;

    s.UserItemCaption = in.Expert ? QStringLiteral("&Release") : QStringLiteral("&Change");
    s.LineStateText = on ? QStringLiteral("On Line") : QStringLiteral("Off Line");
    s.ParameterPageFileMenuEnabled = on;
    if (on) {
        s.DeviceIdText = DeviceIdText(kind, in.UnitAddress, in.LinkBaseAddress);
        s.DeviceIdWidth = std ? 30 : (orca ? 100 : 70);
    } else {
        s.DeviceIdText.clear();
        s.DeviceIdWidth = 30;
    }

    // Right-hand panel.
    StatusPanelLayout& p = s.Panel;
    p.Kind = kind;
    p.Online = on;
    p.DriveGroupVisible = driveGroup;
    p.PowerGroupVisible = power;
    p.AlarmListGroupVisible = power || drive;
    p.LcdGroupVisible = orca;
    p.Analog1Visible = !power;
    p.Analog2Visible = std || drive;
    if (std) {
        p.Analog1Caption = QStringLiteral("Analog Out1");
        p.Analog2Caption = QStringLiteral("Analog Out2");
    } else if (drive) {
        p.Analog1Caption = QStringLiteral("View1");
        p.Analog2Caption = QStringLiteral("View2");
    } else if (orca) {
        p.Analog1Caption = QStringLiteral("Monitor");
    }
    if (!power) {
        p.Selector1Entries = SelectorEntries(kind, 1, in.Labels1);
        p.Selector2Entries = SelectorEntries(kind, 2, in.Labels2);
    }
    p.EnableButtonsEnabled = enableButtons;
    p.AlarmButtonEnabled = on && !in.AlarmButtonHeld;
    p.ClearValues = !on;
    p.ClearSelectorMarks = !on || std || orca;
    if (on) {
        const bool family3 = std && in.ModelFamily == 3;
        p.TemperatureRowVisible = family3 || drive || orca;
        p.OrcaRowsVisible = orca;
        p.Selector1Enabled = !power;
        p.Selector2Enabled = drive || (std && !family3);
    }
    return s;
}

} // namespace kelm
