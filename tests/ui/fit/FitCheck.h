#pragma once

#include <QSize>
#include <QStringList>

class QWidget;

namespace kelm::test {

// Walks a window's visible widget tree and lists every text that does not fit the widget
// showing it: labels, buttons, check boxes, group titles, combo box items, header sections
// and table cells, and widgets lying outside their parent. The window itself must be at
// least as large as its size hint, up to `room` (the space it can open in).
QStringList FitProblems(QWidget& window, QSize room);

// With KELM_SCREENSHOT_DIR set, saves the window's picture as <name>.png there.
void SaveScreenshot(QWidget& window, const QString& name);

} // namespace kelm::test
