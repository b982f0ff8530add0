#include "core/rules/OscilloTiling.h"

#include <algorithm>

namespace kelm {

TiledWindows TileLoopAndScope(const QRect& area, const QSize& loopSize, const QSize& scopeMinimum) {
    const int loopWidth = std::min(loopSize.width(), area.width());
    const int loopHeight = std::min(loopSize.height(), area.height());
    const int scopeWidth = std::max(area.width() - loopWidth, scopeMinimum.width());
    const int scopeHeight = std::max(area.height(), scopeMinimum.height());
    // Ends at the area's right edge; starts at its left edge at the latest.
    const int scopeLeft = std::max(area.left(), area.left() + area.width() - scopeWidth);
    return {QRect(area.left(), area.top(), loopWidth, loopHeight),
            QRect(scopeLeft, area.top(), scopeWidth, scopeHeight)};
}

} // namespace kelm
