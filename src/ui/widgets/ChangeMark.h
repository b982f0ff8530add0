#pragma once

class QWidget;

namespace kelm {

// The red text of a control whose value differs from the drive's (or was changed by the
// user). Disabled, the control keeps the grey text that tells it cannot be changed.
void MarkChanged(QWidget* control, bool marked);

} // namespace kelm
