#include "ScreenFindings.h"

#include <QAbstractButton>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>

namespace kelm::test {
namespace {

QString Title(const QWidget& window) {
    const QString title = window.windowTitle().trimmed();
    return title.isEmpty() ? window.objectName() : title;
}

QString Rect(const QRect& r) {
    return QStringLiteral("(%1, %2) %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// The child windows the user sees at their own size.
QList<QMdiSubWindow*> Shown(const QMdiArea& frame) {
    QList<QMdiSubWindow*> shown;
    for (QMdiSubWindow* sub : frame.subWindowList())
        if (sub->isVisible() && !sub->isMaximized() && !sub->isMinimized())
            shown << sub;
    return shown;
}

// Whether some place of the area holds a window of `size` clear of all `taken` rectangles.
bool RoomFor(const QRect& area, const QSize& size, const QList<QRect>& taken) {
    constexpr int step = 8;
    for (int y = area.top(); y + size.height() <= area.bottom() + 1; y += step)
        for (int x = area.left(); x + size.width() <= area.right() + 1; x += step) {
            const QRect place(QPoint(x, y), size);
            if (std::none_of(taken.begin(), taken.end(),
                             [&place](const QRect& r) { return r.intersects(place); }))
                return true;
        }
    return false;
}

} // namespace

QStringList OffScreenProblems(const QWidget& window, const QRect& available) {
    const QRect frame = window.frameGeometry();
    if (available.contains(frame))
        return {};
    return {QStringLiteral("%1: at %2, past the screen's %3")
                .arg(Title(window), Rect(frame), Rect(available))};
}

QStringList UnderPanelProblems(const QMdiSubWindow& sub, const QRect& panel) {
    const QMdiArea* frame = sub.mdiArea();
    if (frame == nullptr || !sub.isVisible() || sub.isMinimized())
        return {};
    const QWidget* viewport = frame->viewport();
    const QRect global(viewport->mapToGlobal(sub.pos()), sub.size());
    if (!panel.isEmpty() && global.intersects(panel))
        return {QStringLiteral("under the status panel")};
    if (!viewport->rect().contains(sub.geometry()))
        return {QStringLiteral("at %1, past the frame's %2")
                    .arg(Rect(sub.geometry()), Rect(viewport->rect()))};
    return {};
}

QStringList OverlapProblems(const QMdiSubWindow& opened) {
    QStringList out;
    const QMdiArea* frame = opened.mdiArea();
    if (frame == nullptr || !opened.isVisible() || opened.isMaximized())
        return out;
    QList<QRect> others;
    for (const QMdiSubWindow* sub : Shown(*frame))
        if (sub != &opened)
            others << sub->geometry();
    if (!RoomFor(frame->viewport()->rect(), opened.size(), others))
        return out;
    const int titleHeight =
        opened.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &opened);
    for (const QMdiSubWindow* sub : Shown(*frame)) {
        if (sub == &opened)
            continue;
        QStringList covered;
        if (opened.geometry().intersects(QRect(sub->pos(), QSize(sub->width(), titleHeight))))
            covered << QStringLiteral("title bar");
        for (const QAbstractButton* button : sub->findChildren<QAbstractButton*>())
            if (button->isVisibleTo(sub) &&
                opened.geometry().intersects(
                    QRect(button->mapTo(sub, QPoint()) + sub->pos(), button->size())))
                covered << button->text();
        if (!covered.isEmpty())
            out << QStringLiteral("%1 covers %2: %3")
                       .arg(Title(opened), Title(*sub), covered.join(QStringLiteral(", ")));
    }
    return out;
}

} // namespace kelm::test
