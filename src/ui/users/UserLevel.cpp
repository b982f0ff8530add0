#include "ui/users/UserLevel.h"

namespace kelm {

bool PasswordMatches(const QString& text) {
    return text == QLatin1String("wuh");
}

QString LevelAfterPassword(const QString& text) {
    return QLatin1String(PasswordMatches(text) ? ExpertLevel : NormalLevel);
}

QString UsersMenuCaption(const QString& level) {
    return QLatin1String(level == QLatin1String(NormalLevel) ? ChangeCaption : ReleaseCaption);
}

} // namespace kelm
