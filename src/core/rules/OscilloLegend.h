#pragma once

#include <QDateTime>
#include <QStringList>

namespace kelm {

struct ScopeRecording;

// The lines printed under a saved oscilloscope picture, so the picture alone tells what
// it shows: each channel's signal, scale, unit and offset (or that it is off), the trigger
// with the time base and delay, the drive it was taken from, and the date.
QStringList OscilloLegendLines(const ScopeRecording& recording, const QString& drive,
                               const QDateTime& when);

} // namespace kelm
