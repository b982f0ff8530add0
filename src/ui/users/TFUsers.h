#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace kelm {

class ShellHost;

// The password dialog " Change User": a masked field of at most 6 characters, preset with
// six blanks that the first keystroke replaces; Enter confirms.
class TFUsers final : public QDialog {
    Q_OBJECT
public:
    // centreOn: the main window the dialog centres itself over when shown (may be null).
    explicit TFUsers(QWidget* centreOn = nullptr);

    QLineEdit* Edit = nullptr;
    QPushButton* BCancel = nullptr;
    QPushButton* BOk = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* centreOn_;
};

// Users > Change/Release: at the Expert level ("&Release") back to Normal; otherwise the
// password dialog decides (Cancel keeps the level). Then ApplyUserLevel.
void UserChange(ShellHost& shell);

} // namespace kelm
