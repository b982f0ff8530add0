#include "ui/pages/LedColour.h"

namespace kelm {

QColor LedColour(LedShade shade) {
    switch (shade) {
    case LedShade::On:
        return QColor(255, 0, 0);
    case LedShade::NotLive:
        return QColor(128, 128, 128);
    case LedShade::Off:
        break;
    }
    return QColor(128, 0, 0);
}

} // namespace kelm
