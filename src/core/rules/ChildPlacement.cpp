#include "core/rules/ChildPlacement.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace kelm {
namespace {

// The area left of the panel, when the panel lies over its right part.
QRect FreeArea(const QRect& area, const QRect& panel) {
    QRect free = area;
    if (!panel.isEmpty() && panel.intersects(area) && panel.left() > area.left())
        free.setRight(std::min(area.right(), panel.left() - 1));
    return free;
}

// How many open windows' title bars the window covers: those must stay seen.
int CaptionsHidden(const QRect& window, const std::vector<QRect>& open) {
    return static_cast<int>(std::count_if(open.begin(), open.end(), [&window](const QRect& other) {
        return window.intersects(QRect(other.topLeft(), QSize(other.width(), CascadeStep)));
    }));
}

long long Covered(const QRect& window, const std::vector<QRect>& open) {
    long long covered = 0;
    for (const QRect& other : open) {
        const QRect common = window.intersected(other);
        covered += static_cast<long long>(common.width()) * common.height();
    }
    return covered;
}

} // namespace

QRect PlaceChildWindow(const QRect& area, const QRect& panel, const std::vector<QRect>& open,
                       const QSize& size) {
    const QRect free = FreeArea(area, panel);
    const QSize bounded = size.boundedTo(free.size()).expandedTo(QSize(0, 0));
    // Candidates in order of preference: the free area's corner, then beside and below each
    // open window, then cascaded from each one's corner.
    std::vector<QPoint> candidates{free.topLeft()};
    for (const QRect& other : open) {
        candidates.emplace_back(other.right() + 1, other.top());
        candidates.emplace_back(other.left(), other.bottom() + 1);
    }
    for (const QRect& other : open)
        candidates.push_back(other.topLeft() + QPoint(CascadeStep, CascadeStep));
    QRect best;
    std::pair bestCost(std::numeric_limits<int>::max(), std::numeric_limits<long long>::max());
    for (const QPoint& at : candidates) {
        // A place past the free area's edge is pulled back inside it.
        const QPoint inside(std::clamp(at.x(), free.left(),
                                       std::max(free.left(), free.right() + 1 - bounded.width())),
                            std::clamp(at.y(), free.top(),
                                       std::max(free.top(), free.bottom() + 1 - bounded.height())));
        const QRect window(inside, bounded);
        const std::pair cost(CaptionsHidden(window, open), Covered(window, open));
        if (cost < bestCost) {
            best = window;
            bestCost = cost;
        }
    }
    return best;
}

} // namespace kelm
