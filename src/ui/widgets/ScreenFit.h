#pragma once

#include <QRect>
#include <QSize>
#include <functional>

class QMdiArea;
class QScrollArea;
class QMdiSubWindow;
class QWidget;

namespace kelm {

// Every window the program shows (dialogs, the main window) opens within the available area
// of its screen: no larger than it, moved inside it. A window whose content cannot fit gets
// a scroll area. Installed once for the application; installing again does nothing.
void KeepWindowsOnScreen();

// Moves the window's laid-out content into a scroll area when its minimum size exceeds
// `room`, so the window can be made as small as the room. True when it did.
bool ScrollWhenLarger(QWidget& window, QSize room);

// A child window larger than `room` scrolls its content and is made as small as the room.
void FitChildWindow(QMdiSubWindow& sub, QSize room);

// Each child window of the frame opens in the free area beside the status panel (`panel`
// gives its rectangle in global coordinates, empty while hidden), beside the other child
// windows or cascading over them, and no larger than the free area (scrolling its content
// when that is too small). Maximized windows are left to the frame.
void PlaceChildWindows(QMdiArea& frame, std::function<QRect()> panel);

// Places a child window of a frame set up by PlaceChildWindows again, as if it were opened
// now (a window the frame showed maximized and that is restored at once).
void PlaceChildWindowNow(QMdiSubWindow& sub);

// The window grows whenever its content needs more room than it has, up to the available
// screen area; it never shrinks.
void GrowWithContent(QWidget& window);

// A scroll area for `content` that scrolls downwards only: it is always as wide as the
// content needs, also when the content grows later, so nothing is cut at its right.
QScrollArea* ScrollDownOnly(QWidget& content, QWidget* parent);

} // namespace kelm
