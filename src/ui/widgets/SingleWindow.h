#pragma once

#include "ui/widgets/ChildFrame.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace kelm {

// Restores the child window's frame when minimised, raises it and gives the window the
// focus.
inline void BringChildToFront(QWidget& window) {
    QWidget* frame = ChildFrame(&window);
    if (frame->isMinimized())
        frame->showNormal();
    frame->show();
    frame->raise();
    window.activateWindow();
    window.setFocus();
}

// Puts a child window into the main window's frame; the sub-window, and the child with
// it, is freed when it closes. The caller places and shows it.
inline QMdiSubWindow& AddChildWindow(QMdiArea& frame, QWidget& window, Qt::WindowFlags flags = {}) {
    QMdiSubWindow* sub = frame.addSubWindow(&window, flags);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    return *sub;
}

// The one instance of a child window class: empty while the window does not exist, so a
// command either brings the open window to the front or creates it.
template <class Window> class SingleWindow {
public:
    Window* Get() const { return window_.data(); }

    // False when there is no window to bring up.
    bool BringToFront() const {
        if (window_.isNull())
            return false;
        BringChildToFront(*window_);
        return true;
    }

    // Takes a newly created window as the instance.
    Window& Keep(Window& window) {
        window_ = &window;
        return window;
    }

    // Forgets `window` when it is the instance (it reports closing before it is freed).
    void Forget(const Window* window) {
        if (window_ == window)
            window_ = nullptr;
    }

private:
    QPointer<Window> window_;
};

} // namespace kelm
