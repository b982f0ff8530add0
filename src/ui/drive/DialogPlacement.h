#pragma once

class QWidget;

namespace kelm {

// Centres a dialog on the main window (halves rounded toward zero); nothing without one.
void CentreOn(QWidget& widget, const QWidget* reference);

} // namespace kelm
