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
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace kelm {
namespace {

// The frame's margins around a window's content (title bar and borders).
QSize FrameMargins(const QWidget& window) {
    return (window.frameGeometry().size() - window.size()).expandedTo(QSize(0, 0));
}

// Moves the window, frame included, inside its screen's available area where it fits.
void KeepOnScreen(QWidget& window) {
    const QRect available = window.screen()->availableGeometry();
    const QSize outer = window.size() + FrameMargins(window);
    const QPoint at(std::clamp(window.x(), available.left(),
                               std::max(available.left(), available.right() + 1 - outer.width())),
                    std::clamp(window.y(), available.top(),
                               std::max(available.top(), available.bottom() + 1 - outer.height())));
    if (at != window.pos())
        window.move(at);
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
        KeepOnScreen(*window);
        return false;
    }
};

class ChildPlacer final : public QObject {
public:
    ChildPlacer(QMdiArea& frame, std::function<QRect()> panel)
        : QObject(&frame), frame_(frame), panel_(std::move(panel)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == frame_.viewport()) {
            // A new child window, placed when it is first shown. It is still being built
            // when it is added: what it is can be told only then.
            if (event->type() == QEvent::ChildAdded)
                static_cast<QChildEvent*>(event)->child()->installEventFilter(this);
            return false;
        }
        if (event->type() == QEvent::ShowToParent) {
            watched->removeEventFilter(this);
            auto* sub = qobject_cast<QMdiSubWindow*>(watched);
            if (sub != nullptr && !sub->isMaximized() && !sub->isMinimized())
                Place(*sub);
        }
        return false;
    }

public:
    // The window at its place in the free area beside the panel and the open windows.
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

private:
    QMdiArea& frame_;
    std::function<QRect()> panel_;
};

// Content that scrolls is never squeezed below the size its layout asks for: the scroll
// area shows it whole, a part at a time. (A list's minimum may date from before its items.)
class ScrolledContent final : public QWidget {
public:
    using QWidget::QWidget;
    QSize minimumSizeHint() const override { return sizeHint(); }
};

class DownScrollArea final : public QScrollArea {
public:
    using QScrollArea::QScrollArea;

    QSize minimumSizeHint() const override {
        return {NeededWidth(), QScrollArea::minimumSizeHint().height()};
    }
    QSize sizeHint() const override { return {NeededWidth(), QScrollArea::sizeHint().height()}; }

protected:
    // The content's layout changed: its width may have too.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget() && event->type() == QEvent::LayoutRequest)
            updateGeometry();
        return QScrollArea::eventFilter(watched, event);
    }

private:
    int NeededWidth() const {
        const QWidget* content = widget();
        const int need =
            content == nullptr ? 0 : content->sizeHint().expandedTo(content->minimumSize()).width();
        return need + verticalScrollBar()->sizeHint().width() + 2 * frameWidth();
    }
};

class ContentGrower final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = static_cast<QWidget*>(watched);
        if (event->type() != QEvent::LayoutRequest || !window->isVisible() ||
            window->isMaximized() || window->isFullScreen() || window->screen() == nullptr)
            return false;
        const QSize room = window->screen()->availableGeometry().size() - FrameMargins(*window);
        const QSize size = window->size().expandedTo(window->sizeHint().boundedTo(room));
        if (size != window->size())
            QTimer::singleShot(0, window, [window, size] {
                window->resize(size);
                KeepOnScreen(*window);
            });
        return false;
    }
};

QPointer<OnScreenKeeper> g_keeper;

} // namespace

void FitChildWindow(QMdiSubWindow& sub, QSize room) {
    QWidget* content = sub.widget();
    QSize size = sub.size();
    if (content != nullptr) {
        const QSize frame = (sub.size() - content->size()).expandedTo(QSize(0, 0));
        if (ScrollWhenLarger(*content, room - frame)) {
            // The frame follows its content now, not at the next layout pass; content that
            // scrolls takes as much of the room as it would need.
            content->layout()->activate();
            if (QLayout* layout = sub.layout())
                layout->activate();
            size = size.expandedTo(content->size() + frame);
        }
    }
    sub.resize(size.boundedTo(room));
}

bool ScrollWhenLarger(QWidget& window, QSize room) {
    QLayout* layout = window.layout();
    if (layout == nullptr || qobject_cast<QScrollArea*>(&window) != nullptr)
        return false;
    // Its content scrolls already.
    if (layout->count() == 1 && qobject_cast<QScrollArea*>(layout->itemAt(0)->widget()) != nullptr)
        return false;
    // Squeezing the content below its size hint would cut its texts: it scrolls instead.
    const QSize need = window.sizeHint().expandedTo(window.minimumSize());
    if (need.width() <= room.width() && need.height() <= room.height())
        return false;
    // The layout, and the widgets it holds, move to the scrolled content.
    auto* content = new ScrolledContent;
    content->setObjectName(window.objectName() + QStringLiteral("Content"));
    content->setLayout(layout);
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    auto* area = new QScrollArea(&window);
    area->setObjectName(window.objectName() + QStringLiteral("Scroll"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(content);
    window.setMinimumSize(0, 0);
    auto* outer = new QVBoxLayout(&window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(area);
    // Shown now, not at the next pass of the event loop: sizes asked for at once count it.
    area->show();
    // As large as the content and the scroll bars it needs, as far as the room goes.
    const int bar = window.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area);
    const bool down = need.height() > room.height();
    const bool across = need.width() + (down ? bar : 0) > room.width();
    const QSize want(need.width() + (down ? bar : 0), need.height() + (across ? bar : 0));
    window.resize(window.size().expandedTo(want).boundedTo(room));
    return true;
}

QScrollArea* ScrollDownOnly(QWidget& content, QWidget* parent) {
    auto* area = new DownScrollArea(parent);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidget(&content);
    return area;
}

void GrowWithContent(QWidget& window) {
    window.installEventFilter(new ContentGrower(&window));
}

void KeepWindowsOnScreen() {
    if (g_keeper || qApp == nullptr)
        return;
    g_keeper = new OnScreenKeeper(qApp);
    qApp->installEventFilter(g_keeper);
}

void PlaceChildWindowNow(QMdiSubWindow& sub) {
    QMdiArea* frame = sub.mdiArea();
    if (frame == nullptr || sub.isMaximized() || sub.isMinimized())
        return;
    for (QObject* child : frame->children())
        if (auto* placer = dynamic_cast<ChildPlacer*>(child)) {
            placer->Place(sub);
            return;
        }
}

void PlaceChildWindows(QMdiArea& frame, std::function<QRect()> panel) {
    frame.viewport()->installEventFilter(new ChildPlacer(frame, std::move(panel)));
}

} // namespace kelm
