#pragma once

#include "core/drive/WriteGate.h"
#include "core/drive/linkscan/LinkScan.h"

#include <QDialog>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

class QPushButton;

namespace kelm {

class ShellHost;
class UnitPanel;

// The link overview "Select Tarn Device": one panel per unit of the Tarn link (the Power
// unit, then the Drive units), refreshed one unit after the other by the link scan of mode
// LinkPoll, and the choice of the unit to work with. Choosing a unit sets the device address
// and, when it is not the unit in use, the device kind (Power or Drive); the dialog then
// closes with OK and the connection sequence reads that unit's table. Cancel (or Escape)
// keeps the unit in use.
class TFTarnSel final : public QDialog {
    Q_OBJECT
public:
    static constexpr int AutoSelectDelayMs = 500;

    // Builds the units (with the "Scanning Tarn Link..." progress window) and starts the
    // link scan. The dialog's result is preset to Cancel. inUse: the unit the program works
    // with (its panel is marked), none when no unit of this link is in use.
    explicit TFTarnSel(ShellHost& shell, std::optional<UnitInUse> inUse = std::nullopt,
                       QWidget* parent = nullptr);
    ~TFTarnSel() override;

    int UnitCount() const { return static_cast<int>(panels_.size()); }
    UnitPanel& Panel(int index) { return *panels_.at(static_cast<std::size_t>(index)); }
    LinkScan& Scan() { return *scan_; }
    // The device address when the overview was built (the link's Power unit).
    int RefreshTag() const { return addressAtStart_; }
    // Progress window counts seen while building (its maximum and its final position).
    int ProgressMaximum() const { return progressMaximum_; }
    int ProgressPosition() const { return progressPosition_; }

    // Paints one unit's panel from its table and flags.
    void UpdateUnitPanel(int index);
    // The select button of a unit (0 = Power unit).
    void SelectUnit(int index);
    // Automatic selection: unit k (1 = Power unit) is chosen shortly after the dialog is
    // shown; 0 switches it off.
    void SetAutoSelect(int k) { autoSelect_ = k; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool InUse(const LinkUnit& unit) const;
    void AutoTimerFired();

    ShellHost& shell_;
    std::unique_ptr<LinkScan> scan_;
    std::vector<UnitPanel*> panels_;
    QPushButton* refresh_ = nullptr;
    QTimer autoTimer_;
    std::optional<UnitInUse> inUse_;
    int addressAtStart_ = 0;
    int autoSelect_ = 0;
    int progressMaximum_ = 0;
    int progressPosition_ = 0;
    bool closing_ = false;
};

// Creates the overview, runs it modally (through the dialog seam) and frees it; true when
// a unit was chosen. autoSelect as for TFTarnSel::SetAutoSelect; inUse as for TFTarnSel.
bool ShowLinkOverview(ShellHost& shell, int autoSelect = 0,
                      std::optional<UnitInUse> inUse = std::nullopt);

} // namespace kelm
