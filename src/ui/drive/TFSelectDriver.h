#pragma once

#include "core/common/DeviceKind.h"
#include "core/link/LinkPortDiscovery.h"
#include "core/link/SerialPortWatch.h"

#include <QDialog>
#include <QTimer>
#include <functional>
#include <vector>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace kelm {

class TDriver;

// Finds the link ports present now (the link-port discovery, injectable for tests).
using LinkPortScan = std::function<std::vector<DiscoveredPort>()>;

// The drive selection dialog " Select Driver ": a link port of the " TARN " group, a drive
// number of the " Standard " group, or off-line work with a chosen kind. While it is open
// it looks for link ports every second and refills its list when they change.
class TFSelectDriver final : public QDialog {
    Q_OBJECT
public:
    enum Result { Cancel = 0, Standard = 1, Link = 2, OffLine = 3 };
    static constexpr int RescanMs = 1000;

    // Runs the discovery into driver.LinkPorts at once. centreOn: the main window.
    TFSelectDriver(TDriver& driver, LinkPortScan scan, QWidget* centreOn = nullptr);

    // The chosen link port's index in driver.LinkPorts (-1 when none).
    int LinkIndex() const { return linkIndex_; }
    // The entered number; -1 when the field is empty or outside 0..255.
    int DeviceNumber() const;
    void SetDeviceNumber(int number);
    // Kind chosen in the off-line chooser (the current kind until one is chosen).
    DeviceKind OffLineKind() const { return offLineKind_; }
    // Selects the list entry of a link port number; false when it is not listed.
    bool PreselectPort(int comNumber);

    // One tick of the rescan timer.
    void RescanTick();
    bool RescanActive() const { return rescan_.isActive(); }

    void done(int result) override;

    QComboBox* CPort = nullptr;
    QPushButton* BLinkOk = nullptr;
    QLineEdit* EId = nullptr;
    QPushButton* BStdOk = nullptr;
    QPushButton* BOffLine = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Discover();
    void FillFromPorts();
    void OffLineClicked();

    TDriver& driver_;
    LinkPortScan scan_;
    QWidget* centreOn_;
    QTimer rescan_;
    SerialPortWatch portWatch_;   // rescans at once when an adapter comes or goes
    std::vector<int> shownPorts_; // the bare numbers beside the list
    int linkIndex_ = -1;
    DeviceKind offLineKind_;
};

} // namespace kelm
