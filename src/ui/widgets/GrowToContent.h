#pragma once

class QWidget;

namespace kelm {

// Grows a window whose content has grown after it opened (lists filled, fields shown) to
// its size hint; never shrinks it. A child window grows its MDI sub-window, kept inside the
// main window's frame.
void GrowToContent(QWidget& window);

} // namespace kelm
