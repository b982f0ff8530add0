#pragma once

#include <QRect>
#include <QSize>

namespace kelm {

// "Window > Tile": the loop page at the top left at its own size and the oscilloscope
// beside it over the rest of the area, so the gains and the traces are seen together.
// When the area is too narrow for both, the oscilloscope keeps its minimum size and ends at
// the area's right edge, over part of the loop page.
struct TiledWindows {
    QRect Loop;
    QRect Scope;
};
TiledWindows TileLoopAndScope(const QRect& area, const QSize& loopSize, const QSize& scopeMinimum);

} // namespace kelm
