#pragma once

#include "core/params/ParamTable.h"

#include <QIODevice>
#include <QString>

namespace kelm {

// Header line of the four device configuration files.
inline constexpr char DeviceConfigurationHeader[] = "Kelm Devices Global Configuration File";
// Error title used in the device configuration messages.
inline constexpr char DeviceConfigurationErrorTitle[] = "Error Opening Device Configuration File";

// Parses a device configuration file (tab-separated parameter table) into `table`, appending
// to what it holds and sorting by address at the end. Every message goes through ShowError:
//   header not accepted:  "Fatal " + errorTitle + "\rApplication Terminate!"         -> false
//   conversion error:     "Fatal " + errorTitle + "\rConversione Error\rApplication Terminate!"
//                         -> false at once; entries added so far stay in the table
//   duplicate address:    errorTitle + "\rParameter Name: " + name +
//                         "\rDuplicate Address !\rParameter Ignored"  -> line dropped, go on;
//                         shown after the load, and for several such lines one message
//                         lists the first ten names with their lines and counts them all
// Each message ends with a line naming the file (fileName, when given) and the line
// ("/opt/kelm/Bin/device.dll, line 37"; see WithLocation).
// Lines are read with LineReader (99 characters). A data line longer than that would be
// parsed from a cut text and could silently lose digits of its last fields, so it counts as
// a conversion error; over-long comment lines and the ignored second line are harmless.
// The caller asks for termination on false.
bool LoadConfiguration(ParamTable& table, QIODevice& device, const QString& header,
                       const QString& errorTitle, const QString& fileName = QString());

// Parses one data line (already stripped of leading blanks). nullopt on a conversion error.
std::optional<ParamEntry> ParseParamLine(const QString& line);

} // namespace kelm
