#pragma once

#include <QRect>
#include <QSize>
#include <vector>

namespace kelm {

// Where a child window opens in the main window's frame. `area` is the frame's visible
// rectangle; `panel` the status panel's rectangle in the same coordinates (empty when it is
// hidden): the part of the area left of it is free. `open` holds the child windows already
// shown. The window takes at most the free area's size, and the first place beside or below
// an open window that covers none of them; when there is none, a place that leaves their
// title bars seen and covers the least of them (below them, or cascaded from their corners).
QRect PlaceChildWindow(const QRect& area, const QRect& panel, const std::vector<QRect>& open,
                       const QSize& size);

// The step between cascaded windows: a title bar's height, so each one's caption stays seen.
constexpr int CascadeStep = 28;

} // namespace kelm
