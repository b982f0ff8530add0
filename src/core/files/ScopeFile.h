#pragma once

#include "core/files/FileStamp.h"
#include "core/files/SaveTarget.h"
#include "core/files/ScopeRecording.h"

#include <QString>
#include <optional>

// The oscilloscope data file (".kls"): key TAB value lines in sections separated by lines
// of asterisks, then the data points. Numbers of the graph section always use ',' as the
// decimal separator, whatever the user's regional settings; that rule lives only in the
// formatting and parsing helpers below, no process-wide locale is touched.
//
// What stays with the caller: the file dialogs and their folder; filling the recording
// from the window's controls; for the viewer, applying the sections that were read (see
// ScopeReadResult), showing " " + GeneratedOn in the status bar, the caption
// " File: " + path, and the axis ranges (VerticalAxisRange, TimeAxisRange).
namespace kelm {

inline constexpr char ScopeFileExtension[] = ".kls";
QString ScopeFileFilter(); // "Show File (*.kls)"

// Writes the recording; an existing file is replaced only when everything was written, and
// only a regular file is replaced (see WriteReplacing). On failure shows "Unable save: " +
// path with the reason and returns false.
bool WriteScopeFile(const ScopeRecording& recording, const QString& path,
                    const FileStamp& stamp = FileStamp::Now(),
                    ReadOnlyFiles readOnly = ReadOnlyFiles::Refuse);

// How far the reader got. Sections come in this order; each is read completely before it
// is stored into the recording, so every section up to Reached is filled and none after.
enum class ScopeSection {
    None,     // not opened, or the heading was wrong: nothing to show
    Heading,  // GeneratedOn
    Trigger,  // TriggerSlope, TriggerLevel
    TimeBase, // TimeBase, Delay
    Channel1,
    Channel2,
    GraphSettings, // the three increments; Points then holds what the data section gave
    Data,          // every announced point was read
};

struct ScopeReadResult {
    bool Ok = false; // true from GraphSettings on, also when the data section failed
    ScopeSection Reached = ScopeSection::None;
};

// Reads a file into `recording`, reporting "Unable open: ", "Header file error",
// "Error Trigger", "Error Time Base", "Error Channel 1", "Error Channel 2",
// "Error Data Graph Settings" or "Error Data Graph" through ShowError.
ScopeReadResult ReadScopeFile(const QString& path, ScopeRecording& recording);

// "0.0" with ',' as the decimal separator: at least one digit before it, exactly one after,
// rounded half away from zero.
QString FormatCommaDecimal(double value);
// An optionally signed decimal number with ',' as the decimal separator; nullopt otherwise.
std::optional<double> ParseCommaDecimal(const QString& text);

struct AxisRange {
    double Min = 0;
    double Max = 0;
};
// Left and right axes: from 5.001 increments below zero to 5 increments above.
AxisRange VerticalAxisRange(double increment);
// Bottom axis: from 0 to 10 increments.
AxisRange TimeAxisRange(double increment);

} // namespace kelm
