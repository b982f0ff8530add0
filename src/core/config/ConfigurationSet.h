#pragma once

#include "core/common/DeviceKind.h"
#include "core/config/AlarmTexts.h"
#include "core/config/AnalogOutLabels.h"
#include "core/config/BootloaderRecords.h"
#include "core/config/HomingDescriptors.h"
#include "core/config/IoStrings.h"
#include "core/config/ScopeScales.h"
#include "core/params/ParamTable.h"

#include <QString>
#include <array>

namespace kelm {

// Everything the configuration folder says about the four drive kinds: the kind parameter
// tables and the auxiliary lists, plus which kind's lists are the active ones.
//
// Loading runs in three steps, as the program does it:
//   LoadAtDriverStart         when the drive model is built (fatal errors stop loading)
//   LoadAtMainWindowCreation  analog-out labels (never fatal)
//   LoadAtMainWindowShow      homing descriptors and oscilloscope scales
// Every message goes through the message seam; a failure that ends the program also calls
// RequestTerminate(), so callers only look at the result.
//
// Folders use '/' and end with '/'. The configuration folder is installFolder + "Bin/"
// unless SetConfigFolder() names another one (used by kelmctl check-config).
class ConfigurationSet {
public:
    // --- where the files are ------------------------------------------------------------
    void SetConfigFolder(const QString& folder);
    // The folder the files are read from for this installation folder.
    QString ConfigFolder(const QString& installFolder) const;

    // --- loading --------------------------------------------------------------------------
    // Creates devicesFolder with its parents, loads the four device tables (Std, Power,
    // Drive, Orca230), the alarm texts, the digital I/O strings (Std, Drive, Orca230) and
    // the bootloader records, then selects the Std lists. On a fatal error: message,
    // RequestTerminate(), false, and nothing more is loaded.
    bool LoadAtDriverStart(const QString& installFolder, const QString& devicesFolder);
    // Analog-out labels for Std, Drive, Orca230. false when any of them failed (reported;
    // their lists are empty, meaning built-in labels).
    bool LoadAtMainWindowCreation(const QString& installFolder);
    // Homing descriptors for Std, Drive, Orca230 (a failure skips the remaining kinds), then
    // "Osci.dll" and, if that succeeded, "Osci_Tarn.dll". Either failure is fatal for the
    // program: after the reader's own message it shows "Fail To Load Homing Setup...\r\n
    // Application Terminate" or "Fail To Load Oscilloscope Conf. File...\r\nApplication
    // Terminate" and calls RequestTerminate(); the scales are still loaded after a homing
    // failure. Reselects the current kind's lists. false when anything failed.
    bool LoadAtMainWindowShow(const QString& installFolder);

    // One line per configuration file read by the loading steps so far, in reading order,
    // with what it gave ("device.dll: 97 registers", "Homing.dll: not read"), so that a file
    // cut short shows. A fatal error ends the list at the file before it.
    const QStringList& Summary() const { return summary_; }

    // --- per-kind data --------------------------------------------------------------------
    ParamTable& KindTable(DeviceKind kind) { return kindTables_[Index(kind)]; }
    const ParamTable& KindTable(DeviceKind kind) const { return kindTables_[Index(kind)]; }
    // Alarm texts: position n-1 holds alarm n (Orca 230: file order, no defaults).
    const QStringList& AlarmTexts(DeviceKind kind) const { return alarmTexts_[Index(kind)]; }
    // The 13 digital I/O groups of a kind (empty for Power; see GetIoLabelBase).
    const IoGroups& IoGroupsOf(DeviceKind kind) const { return ioGroups_[Index(kind)]; }
    // Group i (0..12) of a kind; Power uses the Std groups; an index outside 0..12 yields an
    // empty group.
    const IoGroup& GetIoLabelBase(int i, DeviceKind kind) const;
    // Analog-out labels of a kind (empty lists: use the built-in labels; always for Power).
    const AnalogOutLabels& AnalogLabels(DeviceKind kind) const {
        return analogLabels_[Index(kind)];
    }
    // Bootloader record of Drive or Orca230; nullptr for Std and Power.
    const BootloaderRecord* Bootloader(DeviceKind kind) const;
    // Homing descriptors of a kind (empty for Power).
    const HomingDescriptors& Homing(DeviceKind kind) const { return homing_[Index(kind)]; }
    // Oscilloscope scales of a kind: Std and Orca230 use "Osci.dll", Drive "Osci_Tarn.dll",
    // Power none (empty set).
    const ScopeScaleSet& ScopeSet(DeviceKind kind) const;

    // --- active lists (the selected kind's) ----------------------------------------------
    // Makes the kind's lists the active ones. The drive model calls it from its kind
    // selection.
    void SelectKindLists(DeviceKind kind) { selectedKind_ = kind; }
    DeviceKind SelectedKind() const { return selectedKind_; }
    const QStringList& ActiveAlarmTexts() const { return AlarmTexts(selectedKind_); }
    // nullptr for Std and Power.
    const BootloaderRecord* CurrentBootloader() const { return Bootloader(selectedKind_); }
    const HomingDescriptors& ActiveHoming() const { return Homing(selectedKind_); }
    const ScopeScaleSet& ActiveScopeSet() const { return ScopeSet(selectedKind_); }

    // Device configuration file per kind: "device.dll", "TarnPower.dll", "TarnDrive.dll",
    // "TarnOrca230.dll".
    static QString DeviceFileName(DeviceKind kind);
    // The message shown when that file cannot be opened.
    static QString DeviceOpenFailureMessage(DeviceKind kind);

private:
    static std::size_t Index(DeviceKind kind) { return static_cast<std::size_t>(KindIndex(kind)); }
    bool LoadDeviceTables(const QString& folder);
    bool LoadAllIoStrings(const QString& folder);
    void Note(const QString& fileName, const QString& counts);

    QString configFolder_;
    std::array<ParamTable, DeviceKindCount> kindTables_;
    AlarmTextLists alarmTexts_;
    std::array<IoGroups, DeviceKindCount> ioGroups_;
    std::array<AnalogOutLabels, DeviceKindCount> analogLabels_;
    BootloaderRecords bootloader_;
    std::array<HomingDescriptors, DeviceKindCount> homing_;
    ScopeScaleSet stdScopeSet_;
    ScopeScaleSet tarnScopeSet_;
    DeviceKind selectedKind_ = DeviceKind::Std;
    QStringList summary_;
};

} // namespace kelm
