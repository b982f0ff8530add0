#pragma once

#include "core/common/DeviceKind.h"

#include <QDialog>
#include <array>

class QPushButton;

namespace kelm {

// The off-line kind chooser: four picture buttons, one per device kind; each closes the
// dialog with OK and records its kind.
class TFOffLineSel final : public QDialog {
    Q_OBJECT
public:
    explicit TFOffLineSel(QWidget* centreOn = nullptr);

    DeviceKind ChosenKind() const { return chosen_; }
    // The buttons in kind order: Std, Power, Drive, Orca230.
    std::array<QPushButton*, DeviceKindCount> Buttons{};

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* centreOn_;
    DeviceKind chosen_ = DeviceKind::Std;
};

} // namespace kelm
