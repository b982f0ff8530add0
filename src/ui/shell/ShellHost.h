#pragma once

#include "core/drive/DriverHost.h"

#include <QString>
#include <cstdint>
#include <optional>

class QMdiArea;
class QWidget;

namespace kelm {

class ChildWindows;
class LastScopeRecord;
class ModbusMaster;
class SettingsStore;
class TDriver;

enum class UserLevel { Normal, Expert };

// Status-bar panels of the main window. They only show the program session's state; nothing
// reads them back.
namespace StatusPanel {
inline constexpr int UserLevel = 1;  // "Normal" or "Expert"
inline constexpr int ComPort = 3;    // " Com" + number
inline constexpr int DeviceId = 5;   // "000" address, "Tarn Pwr", "Tarn Drv" + unit, "Tarn"
inline constexpr int LineState = 7;  // "On Line" / "Off Line"
inline constexpr int DeviceFile = 9; // parameter file name without folder
} // namespace StatusPanel

// The main window as the other windows and flows see it (the selection dialogs, the
// progress dialog, the user dialog, the alarm window, the pages). TFPrincipale implements
// it; widget tests of those windows can use a fake. User-interface thread only.
class ShellHost {
public:
    virtual ~ShellHost() = default;

    virtual QWidget* Window() = 0; // parent and centring reference for dialogs
    virtual QMdiArea* Frame() = 0; // child windows (parameter pages, tools) live here
    virtual TDriver& Driver() = 0;
    virtual ModbusMaster& Master() = 0;
    virtual SettingsStore& Settings() = 0;
    virtual ChildWindows& Children() = 0;

    // Panel 9 follows TDriver::CurrentFileName again (name without folder; empty when none).
    virtual void ShowDeviceFileName() = 0;
    // The user level, shown in panel 1.
    virtual bool IsExpert() const = 0;
    virtual void SetUserLevel(UserLevel level) = 0;
    // The plain drive's address the status bar shows (panel 5); none off line or for a link
    // unit.
    virtual std::optional<std::uint8_t> ShownAddress() const = 0;

    // Main-window routines.
    virtual void ConfigureForDevice() = 0;
    virtual void SetFileDialogsForDevice() = 0;
    virtual void ReloadFromDrive() = 0;
    virtual void CloseChildWindows(WindowsToClose windows) = 0;
    virtual void ApplyUserLevel() = 0;
    virtual void UpdateAlarmIndicator(bool alarm) = 0;
    virtual void StatusRefresh() = 0;
    // Drive > Select Drive (the whole selection sequence).
    virtual void SelectDrive() = 0;

    // State other windows report (the command rules follow it).
    // File > Save / Save As, granted by the main parameter page.
    virtual void SetSaveEnabled(bool enabled) = 0;
    // A comparison window is open (fileMode: it compares files). Drive > Compare with File
    // stays disabled while any comparison window is open; File > Compare only while a
    // drive-against-file window is open (in file mode it brings the window to the front).
    virtual void SetCompareOpen(bool open, bool fileMode = false) = 0;
    virtual void SetOscilloscopeOpen(bool open) = 0;
    // The Diagnostic menu (View / Close), shown while the diagnostic window exists.
    virtual void SetDiagnosticMenuVisible(bool visible) = 0;

    // The tag of Drive > "S&elect Tarn link": the COM number preselected by the direct
    // link selection, 0 when none.
    virtual int LinkSelectPort() const = 0;
    virtual void SetLinkSelectPort(int comNumber) = 0;

    // The menu's locked mark (the guided setup): while it is set every main-menu item is
    // disabled; clearing it gives the items their states back.
    virtual bool MenuLocked() const { return false; }
    virtual void SetMenuLocked(bool /*locked*/) {}
    // The digital I/O page holds the Enable/Disable buttons and menu items until it is
    // interactive.
    virtual void HoldDriveRequests(bool /*held*/) {}
    // Cuts the status poll's pause short: the next poll follows at once.
    virtual void PollStatusNow() {}
    // The oscilloscope upload holds the status poll: it carries the pending requests of the
    // status panel on each step, and keeps the alarm button disabled while it runs.
    virtual void ServicePendingRequests() {}
    virtual void HoldAlarmButton(bool /*held*/) {}
    // Where the oscilloscope leaves its last record for the commissioning report; none
    // where the host keeps no session.
    virtual LastScopeRecord* ScopeRecordHolder() { return nullptr; }
};

} // namespace kelm
