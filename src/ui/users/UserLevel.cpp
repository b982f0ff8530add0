#include "ui/users/UserLevel.h"

#include <QStringList>

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

bool DiagnosticAllowed(const QString& level) {
    return level != QLatin1String(NormalLevel);
}

bool CommandLineGivesExpert(const QStringList& arguments) {
    for (const QString& argument : arguments) {
        if (argument.toLower() == QLatin1String("travik"))
            return true;
    }
    return false;
}

} // namespace kelm
