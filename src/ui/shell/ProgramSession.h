#pragma once

#include "core/common/DeviceKind.h"
#include "core/drive/DriverHost.h"
#include "core/journal/JournalEntry.h"
#include "ui/shell/LastScopeRecord.h"
#include "core/drive/UnsavedChanges.h"
#include "ui/shell/ShellHost.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace kelm {

class ModbusMaster;
class SerialChannel;
class SettingsStore;
class SynchronizedCaller;
class TDriver;
class WriteJournal;

// The drive as the status bar shows it: what the last ConfigureForDevice laid out.
struct ShownDrive {
    bool Online = false;
    DeviceKind Kind = DeviceKind::Std;
    std::uint8_t Address = 0;
};

struct SessionOptions {
    QString ExecutableFolder; // empty: the running program's folder
    QString SettingsFile;     // empty: the per-user settings file
    // The serial channel under the master; empty: the POSIX serial port.
    std::function<std::unique_ptr<SerialChannel>()> MakeChannel;
};

// The window's half of DriverHost: the drive model asks for these, the window does them.
struct SessionWindowCalls {
    std::function<void()> ConfigureForDevice;
    std::function<void(WindowsToClose windows)> CloseChildWindows;
};

// One run of the program: the settings store, the serial master and the drive model, and
// the state the windows show besides the drive model's (user level, the drive shown,
// what other windows report as open or held). It keeps the pause timer and the
// synchronized call of DriverHost and hands the window parts to the window. Windows render
// it after Changed; none keeps a copy. User-interface thread only.
class ProgramSession final : public QObject, public DriverHost {
    Q_OBJECT
public:
    ProgramSession(SessionOptions options, SessionWindowCalls window, QObject* parent = nullptr);
    // The master closes its port first, then the drive model goes, then the settings store,
    // which writes the settings back.
    ~ProgramSession() override;

    SettingsStore& Settings() { return *settings_; }
    ModbusMaster& Master() { return *master_; }
    TDriver& Driver() { return *driver_; }
    const SettingsStore& Settings() const { return *settings_; }
    const ModbusMaster& Master() const { return *master_; }
    const TDriver& Driver() const { return *driver_; }
    const WriteJournal& ChangeJournal() const { return *journal_; }
    // When this run started: the commissioning report lists the changes since.
    const QDateTime& Started() const { return started_; }
    LastScopeRecord& ScopeRecord() { return scopeRecord_; }
    // The parameter registers written since the drive's RAM last matched its EEPROM.
    UnsavedChanges& Unsaved() { return unsaved_; }
    const UnsavedChanges& Unsaved() const { return unsaved_; }

    // --- DriverHost ---------------------------------------------------------------------
    void RunSynchronized(const std::function<void()>& fn) override;
    void ConfigureForDevice() override;
    void CloseChildWindows(WindowsToClose windows) override;
    void StartPauseTimer(int intervalMs) override;
    void StopPauseTimer() override;
    void ProcessEvents() override;

    // Cuts the status poll's pause short: the next poll follows at once.
    void PollNow();
    // The first half of the close sequence: background work stopped, pause timer off,
    // serial port closed (its line settings restored).
    void StopWork();

    UserLevel Level() const { return level_; }
    bool IsExpert() const { return level_ == UserLevel::Expert; }
    void SetUserLevel(UserLevel level);

    const ShownDrive& Shown() const { return shown_; }
    void SetShown(const ShownDrive& shown);
    // The plain drive's address the status bar shows; none off line or for a link unit.
    std::optional<std::uint8_t> ShownAddress() const;

    bool SaveEnabled() const { return saveEnabled_; }
    void SetSaveEnabled(bool enabled);
    // A comparison window is open; fileMode: it compares two files.
    bool CompareOpen() const { return compareOpen_; }
    bool DriveCompareOpen() const { return compareOpen_ && !compareFileMode_; }
    void SetCompareOpen(bool open, bool fileMode);
    bool OscilloscopeOpen() const { return oscilloscopeOpen_; }
    void SetOscilloscopeOpen(bool open);
    bool DiagnosticMenuVisible() const { return diagnosticMenuVisible_; }
    void SetDiagnosticMenuVisible(bool visible);
    bool MenuLocked() const { return menuLocked_; }
    void SetMenuLocked(bool locked);
    bool DriveRequestsHeld() const { return driveRequestsHeld_; }
    void SetDriveRequestsHeld(bool held);
    bool AlarmButtonHeld() const { return alarmButtonHeld_; }
    void SetAlarmButtonHeld(bool held);
    // The COM number the direct link selection preselects; 0 when none. Shown nowhere.
    int LinkSelectPort() const { return linkSelectPort_; }
    void SetLinkSelectPort(int comNumber) { linkSelectPort_ = comNumber; }

    // Something the windows show changed outside the session (the drive model's file name,
    // the port setting, a window the command rules look at).
    void NotifyChanged() { emit Changed(); }

signals:
    void Changed();

private:
    void Set(bool& mark, bool value);

    SessionWindowCalls window_;
    std::unique_ptr<SettingsStore> settings_;
    std::unique_ptr<ModbusMaster> master_;
    std::unique_ptr<WriteJournal> journal_;
    UnsavedChanges unsaved_;
    std::unique_ptr<TDriver> driver_;
    SynchronizedCaller* caller_ = nullptr; // owns TmrPause

    const QDateTime started_ = QDateTime::currentDateTime();
    LastScopeRecord scopeRecord_;
    UserLevel level_ = UserLevel::Normal;
    // What the journal's entries name, read by the worker while it writes.
    std::mutex journalMutex_;
    QString journalLevel_ = QStringLiteral("Normal");
    QString journalPort_;
    JournalIdentity journalIdentity_;
    ShownDrive shown_;
    bool saveEnabled_ = false;
    bool compareOpen_ = false;
    bool compareFileMode_ = false;
    bool oscilloscopeOpen_ = false;
    bool diagnosticMenuVisible_ = false;
    bool menuLocked_ = false;
    bool driveRequestsHeld_ = false;
    bool alarmButtonHeld_ = false;
    int linkSelectPort_ = 0;
};

} // namespace kelm
