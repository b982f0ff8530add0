#pragma once

#include "core/files/FileStamp.h"
#include "core/files/ParamFileBody.h"
#include "core/params/ParamTable.h"

#include <QString>

// The profiles data file (".bcp"): the device parameter file body applied to the profile
// registers, with its own type line "Profiles Data Files".
//
// What stays with the caller (the profile editor): the file dialogs and ProfilesFolder,
// refusing a chosen name whose extension is not ".bcp", and what happens after an open
// (the full write to a drive on line, reloading the fields).
namespace kelm {

inline constexpr char ProfilesFileExtension[] = ".bcp";
inline constexpr char ProfilesFileTypeLine[] = "Profiles Data Files";
QString ProfilesFileFilter(); // "Profile File (*.bcp)"

// Copies Value into FileValue and writes the file, replacing an old one only when
// everything was written; only a regular file is replaced (see WriteReplacing). On failure
// shows "Unable save Profiles: " + path with the reason, returns false and leaves the
// FileValue column and any existing file as they were.
bool SaveProfilesFile(ParamTable& table, const QString& path,
                      const FileStamp& stamp = FileStamp::Now(),
                      ReadOnlyFiles readOnly = ReadOnlyFiles::Refuse);

// Checks the whole file, then reads it into FileValue and copies FileValue into Value.
// True when the values were taken over; on failure the table is unchanged. Ignored lines
// and a partial file are reported as for OpenDeviceFile; `report` receives the counts.
bool OpenProfilesFile(ParamTable& table, const QString& path, ValueLinesReport* report = nullptr);

} // namespace kelm
