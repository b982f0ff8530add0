#pragma once

#include "core/common/DeviceKind.h"

#include <QString>
#include <array>

namespace kelm {

class ParamTable;

// The oscilloscope settings between sessions ("ZavaRive.dll", INI text): section "Std" for
// the Std kind, "Tarn" for Drive and Orca230 (Power has none), keys "O50000".."O50013"
// (working values) and "Ofs1"/"Ofs2" (channel offsets). The user's copy lives beside the
// settings store; the shipped copy in Bin/ is read while the user has none, and never
// written, so a read-only installation works. The file never arms the recorder (its
// command is stored as stop and not loaded) and never carries the drive's sample factors
// into the table.
class ScopeSettingsFile {
public:
    ScopeSettingsFile(QString userFile, QString shippedFile)
        : userFile_(std::move(userFile)), shippedFile_(std::move(shippedFile)) {}
    // The copies for the settings store at settingsFile and the installation at
    // installFolder (ending in '/'): the user's beside the settings, the shipped one in Bin/.
    static ScopeSettingsFile For(const QString& settingsFile, const QString& installFolder);

    // Sets Value of every register the file names; the offsets found replace `offsets`.
    // Nothing happens for Power. false when neither copy exists.
    bool Load(DeviceKind kind, ParamTable& table, std::array<int, 2>& offsets) const;
    // Writes the kind's section into the user's copy (started from the shipped one, so
    // the other section is kept). false when the file could not be written.
    bool Save(DeviceKind kind, const ParamTable& table, const std::array<int, 2>& offsets) const;

    const QString& UserFile() const { return userFile_; }
    // "Std", "Tarn", or empty for Power.
    static QString SectionOf(DeviceKind kind);

private:
    QString userFile_;
    QString shippedFile_;
};

} // namespace kelm
