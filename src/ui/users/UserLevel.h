#pragma once

#include <QString>

namespace kelm {

// The password of the Expert level: compared exactly, case and blanks included.
bool PasswordMatches(const QString& text);

} // namespace kelm
