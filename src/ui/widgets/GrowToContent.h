#pragma once

class QMdiArea;
class QWidget;

namespace kelm {

// Grows a window whose content has grown after it opened (lists filled, fields shown) to
// its size hint; never shrinks it. A child window grows its MDI sub-window, kept inside the
// main window's frame.
void GrowToContent(QWidget& window);

// Whenever the frame's visible area shrinks (the status panel grows, the main window is made
// smaller), moves the child windows back inside it, so that none is left partly hidden.
// Maximized and minimized windows are left to the frame.
void KeepChildWindowsInside(QMdiArea& frame);

} // namespace kelm
