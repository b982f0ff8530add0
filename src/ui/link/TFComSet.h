#pragma once

#include "core/link/ComSettingsLogic.h"
#include "core/link/SerialPortWatch.h"

#include <QDialog>
#include <map>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kelm {

class SettingsStore;
class ShellHost;

// The " Com Settings " dialog. Standard variant: port, baud and parity lists; on Linux the
// device path the chosen COM number stands for is shown beside the port list and can be
// changed there (a name from /dev/serial/by-id is taken as its full path); the stable
// by-id name of the device is shown below it, and each port item's tooltip names both. Link
// variant: only the link port number. Closing the dialog (by "&Ok" or the close box) stores what
// changed; Escape leaves it without storing anything.
class TFComSet final : public QDialog {
    Q_OBJECT
public:
    TFComSet(ComSettingsLogic::Variant variant, SettingsStore& settings, QWidget* parent = nullptr);

    // ApplyComSettings: stores the changed selections (and a changed device path) in the
    // settings store; true when anything changed.
    bool ApplyComSettings();
    ComSettingsLogic& Logic() { return logic_; }

    // Result code of a dialog left with Escape: nothing is stored.
    static constexpr int Discarded = 2;

    QComboBox* CPort = nullptr;
    QComboBox* CBaud = nullptr;
    QComboBox* CParity = nullptr;
    QLineEdit* EPath = nullptr; // device path of the selected COM number
    QLabel* LById = nullptr;    // its /dev/serial/by-id name, when it has one
    QLabel* LLatency = nullptr; // its USB adapter's latency timer, when the driver shows one
    QSpinBox* ETarnPort = nullptr;
    QLabel* LPort = nullptr;
    QPushButton* BDefault = nullptr;
    QPushButton* BOk = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ShowSelection(const ComSettingsLogic::Selection& selection);
    void ReadSelection();
    void ShowDevicesOfPorts();
    void ShowPathOfPort();
    void ShowStableName();
    void PathEdited();

    SettingsStore& settings_;
    ComSettingsLogic logic_;
    std::map<int, QString> editedPaths_; // COM number -> path typed in this dialog
    SerialPortWatch portWatch_;          // adapters coming and going refresh the lists
};

// ShowComSettings for the main window: runs the dialog modally; true when it changed a
// setting.
bool ShowComSettings(ShellHost& shell, bool linkPort);

} // namespace kelm
