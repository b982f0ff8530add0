#include "ui/users/UserLevel.h"

namespace kelm {

bool PasswordMatches(const QString& text) {
    return text == QLatin1String("wuh");
}

} // namespace kelm
