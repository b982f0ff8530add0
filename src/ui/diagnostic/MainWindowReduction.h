#pragma once

#include <QPointer>
#include <QWidget>

namespace kelm {

// While the diagnostic window is open the main window shows only its "&Diagnostic" menu:
// the menus File, Users, Settings, Drive, Tuning and the About item are hidden, and the
// toolbar buttons that would start other work are disabled. The main window's own command
// rules re-enable commands when it lays itself out again, so Apply is repeated then.
class MainWindowReduction {
public:
    explicit MainWindowReduction(QWidget* mainWindow) : main_(mainWindow) {}

    void Apply();
    // Shows the hidden menus and enables the buttons again (the caller then lets the main
    // window recompute its command states, which decides kind-dependent buttons).
    void Undo();

private:
    void SetMenusVisible(bool visible);
    void SetButtonsEnabled(bool enabled);

    QPointer<QWidget> main_;
};

} // namespace kelm
