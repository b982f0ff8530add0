#pragma once

#include "core/analysis/ReferenceSet.h"

#include <QGroupBox>
#include <array>
#include <functional>
#include <optional>

class QChart;
class QCheckBox;
class QLabel;
class QLineSeries;
class QListWidget;
class QPushButton;
class QValueAxis;

namespace kelm {

// Held records drawn dashed in their channel's colour over a scope chart, with a legend
// (number, time, the loop settings that differ from the live record's) and the commands to
// hold, open, save, show or hide and clear them. The oscilloscope window holds its live
// record; the stored trace viewer overlays other files.
class ReferenceOverlay : public QGroupBox {
    Q_OBJECT
public:
    struct Chart {
        QChart* Chart = nullptr;
        QValueAxis* Time = nullptr;
        std::array<QValueAxis*, 2> Axes{};
        std::array<QColor, 2> Colours;
    };
    // What the owner lends: the live record to hold (empty when nothing is shown), and the
    // folder of the scope file dialogs. Without Live there is no "Hold as Reference".
    struct Hooks {
        std::function<std::optional<ReferenceTrace>()> Live;
        std::function<QString()> Folder;
        std::function<void(const QString&)> SetFolder;
    };

    ReferenceOverlay(const Chart& chart, Hooks hooks, QWidget* parent);
    ~ReferenceOverlay() override;

    // Keeps a reference and draws it; says in the status line when it replaced the oldest.
    void Hold(ReferenceTrace reference);
    // Reads a record file as a reference (its errors are reported by the reader).
    bool Open(const QString& path);
    // Writes the selected reference (the newest when none is selected) as a record file.
    bool Save(const QString& path) const;
    // The settings of the live record, which the legend compares against.
    void SetLiveGains(GainSnapshot gains);

    const ReferenceSet& References() const { return set_; }
    QPushButton* HoldButton() const { return hold_; }
    QCheckBox* ShowBox() const { return show_; }
    QListWidget* Legend() const { return legend_; }
    QLabel* Status() const { return status_; }
    // The dashed series drawn, two per reference (one per channel that was on).
    const std::vector<QLineSeries*>& Series() const { return series_; }

private:
    void HoldLive();
    void OpenClicked();
    void SaveClicked();
    void ClearClicked();
    void Redraw();
    void SetStatus(const QString& text);
    const ReferenceTrace* Selected() const;

    Chart chart_;
    Hooks hooks_;
    ReferenceSet set_;
    GainSnapshot live_;
    std::vector<QLineSeries*> series_; // owned by the chart while added
    QPushButton* hold_ = nullptr;
    QCheckBox* show_ = nullptr;
    QListWidget* legend_ = nullptr;
    QLabel* status_ = nullptr;
};

} // namespace kelm
