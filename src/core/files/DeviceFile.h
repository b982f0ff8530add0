#pragma once

#include "core/common/DeviceKind.h"
#include "core/files/FileStamp.h"
#include "core/files/ParamFileBody.h"
#include "core/params/ParamTable.h"

#include <QString>
#include <QStringList>

// The device parameter file (".dev", ".tnp", ".tnd", ".tno"): the working values of the
// active table, one "name TAB address TAB value" line per entry.
//
// What stays with the caller (the drive model and the main window):
//   - the file dialogs, their start folder and remembering the chosen folder;
//   - refusing a chosen name whose extension differs (HasDeviceFileExtension, then
//     ShowDifferentExtensions) before calling Save/Open;
//   - CurrentFileName and the status bar: set them to the path when Save/Open returns true;
//   - after a successful open with a drive on line: the full write of the table;
//   - refreshing the pages.
namespace kelm {

// Extension (with its dot), line 2 of the file, and the kind's name in messages.
// A kind outside the four known ones gives type line "Unknow" and an empty name.
struct DeviceFileType {
    QString Extension;
    QString TypeLine;
    QString KindName;
};
DeviceFileType DeviceFileTypeOf(DeviceKind kind);

// "Kelm Industries" + the kind's type line: what lines 1 and 2 of a file must give.
QString DeviceFileHeading(DeviceKind kind);

// The open/save dialog filters in kind order ("Devices File (*.dev)", ...); the entry for
// the current kind is at index KindIndex(kind).
QStringList DeviceFileFilters();

// True when the path's extension is the kind's default extension (letter case ignored,
// as on the system the files come from).
bool HasExtension(const QString& path, const QString& extension);
bool HasDeviceFileExtension(const QString& path, DeviceKind kind);

// Copies Value into FileValue and writes the file beside the old one, replacing it only
// when everything was written; only a regular file is replaced (see WriteReplacing). On
// failure shows "Unable save Device: " + path with the reason on a line of its own, returns
// false and leaves the table's FileValue column and any existing file as they were.
bool SaveDeviceFile(ParamTable& table, DeviceKind kind, const QString& path,
                    const FileStamp& stamp = FileStamp::Now(),
                    ReadOnlyFiles readOnly = ReadOnlyFiles::Refuse);

// Checks the whole file, then reads it into FileValue and copies FileValue into Value;
// with no drive on line also copies Value into DriveValue, so nothing shows as unwritten.
// Returns true when the values were taken over. On failure shows the specified messages
// and leaves the table unchanged. Lines with an unknown address are skipped and shown in
// one message after the reading (see ValueLinesReport); a file that covers only part of
// the table says so in an information box. `report`, when given, receives the counts.
bool OpenDeviceFile(ParamTable& table, DeviceKind kind, const QString& path, bool online,
                    ValueLinesReport* report = nullptr);

// The save offer before Open: only with a current file and unsaved 'A'/'F' edits.
bool ShouldOfferSave(const ParamTable& table, const QString& currentFileName);
// "Save Current Device ?\r" + name ("Save Current Tarn Power ?\r" for the Power kind).
QString SaveOfferText(DeviceKind kind, const QString& currentFileName);

} // namespace kelm
