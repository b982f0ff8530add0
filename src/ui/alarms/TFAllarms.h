#pragma once

#include "ui/alarms/AlarmWords.h"

#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>

class QLabel;
class QPushButton;

namespace kelm {

class TDriver;

// The alarm window: one row per alarm bit (lamp, latch picture, text). The lamp is red
// while the alarm is active; the latch picture shows whether the alarm is latched in the
// historic word. "&Reset Historic Alarms" clears the historic words in the drive.
class TFAllarms final : public QWidget {
    Q_OBJECT
public:
    static constexpr int RowCount = 32;
    using WordSource = std::function<AlarmWords()>;
    using ResetAction = std::function<bool()>;

    // texts: position n-1 holds alarm n; missing texts give empty rows.
    TFAllarms(const QStringList& texts, WordSource words, ResetAction reset,
              QWidget* parent = nullptr);
    // Wired to the drive model: its active alarm texts, the active table's words and
    // ResetAlarms.
    static TFAllarms* Create(TDriver& driver, QWidget* parent = nullptr);

    // Repaints lamps and latch pictures; rows whose state is unchanged are left alone.
    void Refresh();
    // The reset button's action: confirm, then reset with the window disabled.
    void ResetClicked();
    // Off line the reset button is disabled: there is no drive to clear.
    void SetOnline(bool online);

    bool LampLit(int row) const { return rows_.at(row).Lit; }
    bool RowLatched(int row) const { return rows_.at(row).Latched; }
    QString RowText(int row) const;
    // How many times latch pictures were repainted (unchanged rows are not).
    int LatchRepaints() const { return latchRepaints_; }
    QPushButton* ResetButton() const { return reset_; }

private:
    struct Row {
        QLabel* Lamp = nullptr;
        QLabel* Latch = nullptr;
        QLabel* Text = nullptr;
        bool Lit = false;
        bool Latched = false; // the picture's tag
    };
    void ShowLatch(Row& row, bool latched);

    std::array<Row, RowCount> rows_;
    WordSource words_;
    ResetAction resetAction_;
    QPushButton* reset_ = nullptr;
    int latchRepaints_ = 0;
};

} // namespace kelm
