#pragma once

#include "core/common/DeviceKind.h"
#include "core/rules/StatusPanelLayout.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

namespace kelm {

// Every command of the main window (menu items and toolbar buttons that share an action
// are one command).
enum class Command {
    Open,            // MDOpen = BOpen
    Save,            // MDSave = hidden BSave
    SaveAs,          // MDSaveAs = BSaveAs
    FileCompare,     // MFCompare
    Report,          // MReport
    Exit,            // MExit
    UserChange,      // MUserChange
    GeneralSettings, // MInfo = BInfo
    ComPort,         // MComPort
    TarnPort,        // MComPortTarn (with its separator NTarn)
    SelectDrive,     // MIdDevice = BSetId
    SelectTarnLink,  // MSelTarn = BSelTarn
    DriveCompare,    // MCompare
    Enable,          // MEnable
    Disable,         // MDisable
    MotorPhasing,    // MMPhase
    SpeedOffset,     // MSOffset
    TorqueOffset,    // MTOffset
    ScopeOpenFile,   // MOOpen
    About,           // MAbout
    DiagnosticView,  // MViewDia
    DiagnosticClose, // MCloseDia
    SaveEeprom,      // BSaveEE
    LoadEeprom,      // BLoadEE
    LoadDefaults,    // BLoadDef
    ResetDrive,      // BReset
    Diagnostic,      // BDiagnostic
    ProfileTool,     // BPos
    Oscilloscope,    // BOscillo
    Bootloader,      // BBoot
    NewTable,        // BNew
    Count
};
inline constexpr int CommandCount = static_cast<int>(Command::Count);

// Caption ('&' marks the accelerator), hint, shortcut and the control names of a command.
struct CommandInfo {
    const char* Name;       // menu item name (or the button's when there is no item)
    const char* ButtonName; // toolbar button name, "" when none
    const char* Caption;    // menu caption
    const char* ButtonText; // toolbar caption, "" for a glyph-only button
    const char* Hint;       // toolbar hint
    const char* Shortcut;   // "" when none
};
const CommandInfo& InfoOf(Command command);

struct CommandState {
    bool Visible = true;
    bool Enabled = true;
};

// What the command rules look at.
struct CommandInputs {
    DeviceKind Kind = DeviceKind::Std;
    bool Online = false;
    bool Expert = false;
    int ModelFamily = 0;           // Std only: family 3 shows the temperature row
    bool DriveCompareOpen = false; // MCompare's comparison-open mark
    bool FileCompareOpen = false;  // a drive-against-file comparison window exists
    bool OscilloscopeOpen = false;
    bool BootRecordUsable = false;      // active bootloader record exists with a text
    bool SaveEnabled = false;           // granted by the main parameter page
    bool DiagnosticMenuVisible = false; // the diagnostic window is open
    bool DriveRequestsHeld = false;     // the digital I/O page is not interactive yet
    bool AlarmButtonHeld = false;       // an oscilloscope upload runs
    std::uint8_t UnitAddress = 0;
    // Commands whose window or dialog this build does not have: always disabled.
    std::array<bool, CommandCount> WindowMissing{};
    int LinkBaseAddress = 0; // default of the Power table's link base address register
    // Analog-out label lists of the kind (both empty when none were loaded).
    QStringList Labels1;
    QStringList Labels2;
};

// Everything ConfigureForDevice and ApplyUserLevel decide, for one set of inputs.
struct CommandStates {
    std::array<CommandState, CommandCount> Commands{};
    QString DriveMenuCaption;
    bool TuningMenuVisible = true;
    bool DiagnosticMenuVisible = false;
    QString UserItemCaption; // "&Change" / "&Release"
    QString DeviceIdText;    // status panel 5
    int DeviceIdWidth = 30;
    QString LineStateText; // status panel 7
    bool ParameterPageFileMenuEnabled = false;
    StatusPanelLayout Panel;

    const CommandState& operator[](Command c) const {
        return Commands[static_cast<std::size_t>(c)];
    }
    CommandState& operator[](Command c) { return Commands[static_cast<std::size_t>(c)]; }
};

CommandStates ComputeCommandStates(const CommandInputs& in);

// Status panel 5 on line: "000" address, "Tarn Pwr", "Tarn Drv" + unit, "Tarn".
QString DeviceIdText(DeviceKind kind, std::uint8_t deviceAddress, int linkBaseAddress);

// Selector contents: the kind's label lists, or the built-in lists ("0" to "255" for Drive).
QStringList BuiltInSelectorList(int selector); // 1 or 2
QStringList SelectorEntries(DeviceKind kind, int selector, const QStringList& labels);

} // namespace kelm
