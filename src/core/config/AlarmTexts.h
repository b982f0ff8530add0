#pragma once

#include "core/common/DeviceKind.h"

#include <QString>
#include <QStringList>
#include <array>

namespace kelm {

inline constexpr char AlarmTextsFileName[] = "strall.dll";
inline constexpr char AlarmTextsHeader[] = "Kelm Allarms Messages Configuration File";
inline constexpr int AlarmTextMaxChars = 30;
inline constexpr int DefaultAlarmTextCount = 32;

// Alarm texts per kind: position n-1 holds the text of alarm number n. The Orca 230 list
// has no defaults and no fixed positions (texts in file order).
using AlarmTextLists = std::array<QStringList, DeviceKindCount>;

// "3 Alarm nr. 3" for n = 3.
QString DefaultAlarmText(int number);

// Reads "strall.dll" (one file, a column per kind). A missing file or a first line that is
// not exactly the header (after trimming) shows a message ending "\rLoad Defaut Message"
// and gives 32 default texts to Std, Power and Drive and none to Orca 230. Never fatal.
// Lines longer than 99 characters are cut; their texts are cut to 30 anyway.
AlarmTextLists LoadAlarmTexts(const QString& path);

} // namespace kelm
