#include "ui/widgets/GrowToContent.h"

#include "ui/widgets/ChildFrame.h"
#include "ui/widgets/ScreenFit.h"

#include <QEvent>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <algorithm>

namespace kelm {

void GrowToContent(QWidget& window) {
    if (QLayout* layout = window.layout())
        layout->activate();
    window.updateGeometry();
    QWidget* frame = ChildFrame(&window);
    QSize size = frame->size().expandedTo(frame->sizeHint());
    auto* sub = qobject_cast<QMdiSubWindow*>(frame);
    if (sub == nullptr || sub->mdiArea() == nullptr) {
        frame->resize(size);
        return;
    }
    const QSize room = sub->mdiArea()->viewport()->size();
    size = size.boundedTo(room);
    const QPoint at(std::clamp(sub->x(), 0, room.width() - size.width()),
                    std::clamp(sub->y(), 0, room.height() - size.height()));
    sub->setGeometry(QRect(at, size));
}

namespace {

class ChildWindowKeeper final : public QObject {
public:
    explicit ChildWindowKeeper(QMdiArea& frame) : QObject(&frame), frame_(frame) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == frame_.viewport()) {
            // Each child window is watched for its restore (it is still being built here).
            if (event->type() == QEvent::ChildAdded)
                static_cast<QChildEvent*>(event)->child()->installEventFilter(this);
            if (event->type() == QEvent::Resize)
                for (QMdiSubWindow* sub : frame_.subWindowList())
                    KeepInside(*sub);
        } else if (auto* sub = qobject_cast<QMdiSubWindow*>(watched);
                   sub != nullptr && (event->type() == QEvent::WindowStateChange ||
                                      event->type() == QEvent::Resize)) {
            // A window restored from maximized or minimized takes back its own geometry, and
            // a window that grows with its content may outgrow the frame: brought back
            // inside after the window's own handling.
            QTimer::singleShot(0, sub, [this, sub] { KeepInside(*sub); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void KeepInside(QMdiSubWindow& sub) {
        if (!sub.isVisible() || sub.isMaximized() || sub.isMinimized())
            return;
        const QSize area = frame_.viewport()->size();
        if (sub.width() > area.width() || sub.height() > area.height())
            FitChildWindow(sub, area);
        const QSize room = area - sub.size();
        sub.move(std::clamp(sub.x(), 0, std::max(room.width(), 0)),
                 std::clamp(sub.y(), 0, std::max(room.height(), 0)));
    }

    QMdiArea& frame_;
};

} // namespace

void KeepChildWindowsInside(QMdiArea& frame) {
    frame.viewport()->installEventFilter(new ChildWindowKeeper(frame));
}

} // namespace kelm
