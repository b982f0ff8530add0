#pragma once

#include <QMdiSubWindow>
#include <QWidget>

namespace kelm {

// The widget that frames a child window: its MDI sub-window inside the main window's
// frame, or the window itself when it stands alone. A stand-alone child's parent is the
// main window, which must not be raised, shown or closed in its place.
inline QWidget* ChildFrame(QWidget* window) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
        return sub;
    return window;
}

} // namespace kelm
