#pragma once

#include <QSize>
#include <QStringList>

class QWidget;

namespace kelm {

// Walks a window's visible widget tree and lists every text that does not fit the widget
// showing it: labels, buttons, check boxes, group titles, combo box items, header sections
// and table cells, tables that scroll sideways, and widgets lying outside their parent. The
// window itself must be at least as large as its size hint, up to `room` (the space it can
// open in).
QStringList FitProblems(QWidget& window, QSize room);

// Keyboard faults of a window: an accelerator shared by its usable buttons and top menus
// ("&Ok|&Off Line"), and a top menu without one. Dialogs over the window are windows of
// their own.
QStringList AcceleratorProblems(const QWidget& window);

// With KELM_FIT_CHECK set in the environment, every window and child window the program
// shows is checked once it is laid out, and each cut text and accelerator fault goes to the
// log: the check at the fonts and style of the machine the program runs on.
void InstallFitAudit();

} // namespace kelm
