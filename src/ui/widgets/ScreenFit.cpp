#include "ui/widgets/ScreenFit.h"

#include "core/rules/ChildPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

namespace kelm {
namespace {

// The frame's margins around a window's content (title bar and borders).
QSize FrameMargins(const QWidget& window) {
    return (window.frameGeometry().size() - window.size()).expandedTo(QSize(0, 0));
}

class OnScreenKeeper final : public QObject {
public:
    using QObject::QObject;

protected:
    // ShowToParent comes after the window's own show handling (a dialog centring itself).
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ShowToParent || !watched->isWidgetType())
            return false;
        auto* window = static_cast<QWidget*>(watched);
        const Qt::WindowType type = window->windowType();
        if (!window->isWindow() || (type != Qt::Window && type != Qt::Dialog) ||
            window->isMaximized() || window->isFullScreen() || window->screen() == nullptr)
            return false;
        const QRect available = window->screen()->availableGeometry();
        const QSize margins = FrameMargins(*window);
        const QSize room = available.size() - margins;
        if (qobject_cast<QMainWindow*>(window) == nullptr)
            ScrollWhenLarger(*window, room);
        if (window->width() > room.width() || window->height() > room.height())
            window->resize(window->size().boundedTo(room));
        const QSize outer = window->size() + margins;
        const QPoint at(
            std::clamp(window->x(), available.left(),
                       std::max(available.left(), available.right() + 1 - outer.width())),
            std::clamp(window->y(), available.top(),
                       std::max(available.top(), available.bottom() + 1 - outer.height())));
        if (at != window->pos())
            window->move(at);
        return false;
    }
};

class ChildPlacer final : public QObject {
public:
    ChildPlacer(QMdiArea& frame, std::function<QRect()> panel)
        : QObject(&frame), frame_(frame), panel_(std::move(panel)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == frame_.viewport() && event->type() == QEvent::ChildAdded) {
            // A new child window: placed when it is first shown.
            if (auto* sub = qobject_cast<QMdiSubWindow*>(static_cast<QChildEvent*>(event)->child()))
                sub->installEventFilter(this);
            return false;
        }
        auto* sub = qobject_cast<QMdiSubWindow*>(watched);
        if (sub != nullptr && event->type() == QEvent::ShowToParent) {
            sub->removeEventFilter(this);
            if (!sub->isMaximized() && !sub->isMinimized())
                Place(*sub);
        }
        return false;
    }

private:
    void Place(QMdiSubWindow& sub) {
        const QWidget* viewport = frame_.viewport();
        QRect panel = panel_ ? panel_() : QRect();
        if (!panel.isEmpty())
            panel.moveTopLeft(viewport->mapFromGlobal(panel.topLeft()));
        std::vector<QRect> open;
        for (const QMdiSubWindow* other : frame_.subWindowList())
            if (other != &sub && other->isVisible() && !other->isMinimized() &&
                !other->isMaximized())
                open.push_back(other->geometry());
        const QRect free = PlaceChildWindow(viewport->rect(), panel, {}, QSize(1 << 20, 1 << 20));
        FitChildWindow(sub, free.size());
        sub.setGeometry(
            PlaceChildWindow(viewport->rect(), panel, open, sub.size().expandedTo(sub.sizeHint())));
    }

    QMdiArea& frame_;
    std::function<QRect()> panel_;
};

QPointer<OnScreenKeeper> g_keeper;

} // namespace

void FitChildWindow(QMdiSubWindow& sub, QSize room) {
    QWidget* content = sub.widget();
    if (content != nullptr && ScrollWhenLarger(*content, room - (sub.size() - content->size()))) {
        // The frame's minimum follows its content's now, not at the next layout pass.
        content->layout()->activate();
        if (QLayout* frame = sub.layout())
            frame->activate();
    }
    sub.resize(sub.size().boundedTo(room));
}

bool ScrollWhenLarger(QWidget& window, QSize room) {
    QLayout* layout = window.layout();
    if (layout == nullptr || qobject_cast<QScrollArea*>(&window) != nullptr)
        return false;
    // Squeezing the content below its size hint would cut its texts: it scrolls instead.
    const QSize need = window.sizeHint().expandedTo(window.minimumSize());
    if (need.width() <= room.width() && need.height() <= room.height())
        return false;
    // The layout, and the widgets it holds, move to the scrolled content.
    auto* content = new QWidget;
    content->setObjectName(window.objectName() + QStringLiteral("Content"));
    content->setLayout(layout);
    content->setMinimumSize(need);
    auto* area = new QScrollArea(&window);
    area->setObjectName(window.objectName() + QStringLiteral("Scroll"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(content);
    window.setMinimumSize(0, 0);
    auto* outer = new QVBoxLayout(&window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(area);
    return true;
}

void KeepWindowsOnScreen() {
    if (g_keeper || qApp == nullptr)
        return;
    g_keeper = new OnScreenKeeper(qApp);
    qApp->installEventFilter(g_keeper);
}

void PlaceChildWindows(QMdiArea& frame, std::function<QRect()> panel) {
    frame.viewport()->installEventFilter(new ChildPlacer(frame, std::move(panel)));
}

} // namespace kelm
