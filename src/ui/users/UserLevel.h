#pragma once

#include <QString>

namespace kelm {

// The two user levels, as status panel 1 spells them.
inline constexpr const char* NormalLevel = "Normal";
inline constexpr const char* ExpertLevel = "Expert";
// Captions of Users > Change/Release.
inline constexpr const char* ChangeCaption = "&Change";
inline constexpr const char* ReleaseCaption = "&Release";

// The password of the Expert level: compared exactly, case and blanks included.
bool PasswordMatches(const QString& text);
// The level after the password dialog was confirmed with this text.
QString LevelAfterPassword(const QString& text);
// The Users item caption for a level text (anything but "Normal" counts as Expert).
QString UsersMenuCaption(const QString& level);

} // namespace kelm
