#pragma once

#include "core/rules/IoRules.h"

#include <QColor>

namespace kelm {

// LED colours: off dark red (128), on red (255), grey while the page is not live.
QColor LedColour(LedShade shade);

} // namespace kelm
