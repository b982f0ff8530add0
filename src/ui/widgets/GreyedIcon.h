#pragma once

#include <QIcon>

namespace kelm {

// The icon, drawn grey and faded while its button is disabled. Qt's own disabled look
// leaves a dark icon nearly as it is; this one reads as unusable at a glance.
QIcon GreyedWhenDisabled(const QIcon& icon);

} // namespace kelm
