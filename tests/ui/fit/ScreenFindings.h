#pragma once

#include <QRect>
#include <QStringList>

class QMdiSubWindow;
class QWidget;

namespace kelm::test {

// A top-level window (its frame included) larger than the available screen area, or
// reaching past it.
QStringList OffScreenProblems(const QWidget& window, const QRect& available);

// A child window that reaches past the frame's visible area or lies under the status panel
// (`panel` in global coordinates), hiding its close box.
QStringList UnderPanelProblems(const QMdiSubWindow& sub, const QRect& panel);

// A child window just opened that covers another's title bar or buttons although the free
// area had room for it beside the others.
QStringList OverlapProblems(const QMdiSubWindow& opened);

} // namespace kelm::test
