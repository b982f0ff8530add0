#pragma once

#include "core/common/DeviceKind.h"
#include "core/rules/DigitalForceSession.h"
#include "core/rules/IoRules.h"

#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QSlider;

namespace kelm {

class TDriver;
class TPNumEdit;
struct IoItem;
struct ParamEntry;

// What the digital page asks of the main window.
struct DigitalLinks {
    // Enable/Disable buttons and menu items held (true) until the page is interactive.
    std::function<void(bool held)> HoldDriveRequests;
    // An immediate status poll (it carries switch requests to the drive).
    std::function<void()> PollNow;
};

// The digital I/O page: per input the hardware and effective state, a switch that forces
// the input on or releases it, the input's function and that function's parameter; per
// output its function, parameter and state; the digital speed reference slider. The status
// poll refreshes it (DigitalRefresh) and writes the switch requests as two bit masks.
//
// What the page decides (live or not, the switches' states, the requests kept for later with
// the origin they were asked at) lives in DigitalForceSession; the widgets only show it. Off
// line, at a transition and at closing pending requests are dropped, never written. While
// the page is open it holds the shared digital speed reference and shows the slider's speed
// in it.
class TFDigital final : public QWidget {
    Q_OBJECT
public:
    TFDigital(TDriver& driver, DigitalLinks links, QWidget* parent = nullptr);
    ~TFDigital() override;

    // After each status poll: LEDs, the two-poll countdown, forced-input display, masks.
    void DigitalRefresh();
    // The main window's Enable (on) and Disable (off) act on the DGT-IN1 switch.
    void SetEnableSwitch(bool on);
    // The main window laid itself out for the line state.
    void LineChanged(bool online);
    bool Interactive() const { return session_.Live(); }
    DeviceKind Kind() const { return kind_; }

    QPushButton* Switch(int row) const { return rows_[row].Switch; }
    QComboBox* Selector(int row) const { return rows_[row].Selector; }
    TPNumEdit* Parameter(int row) const { return rows_[row].Parameter; }
    QSlider* SpeedSlider() const { return speedSlider_; }

signals:
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Row {
        QLabel* Label = nullptr;
        QComboBox* Selector = nullptr;
        QPushButton* Switch = nullptr;
        QLabel* Hardware = nullptr;
        QLabel* State = nullptr;
        TPNumEdit* Parameter = nullptr;
        int Code = -1;       // function code of the selected item
        bool Ranged = false; // the parameter field takes a value
    };
    using RegisterValues = std::vector<std::pair<std::uint16_t, std::int16_t>>;

    void BuildRows(QGridLayout* grid);
    void BuildSlider(QGridLayout* grid, int row);
    void LoadSelections();
    // Limits, shown value and handlers of the row's parameter field for its current item.
    // Returns the number the field shows when it differs from the register's Value (then
    // to be written); the table is not changed.
    std::optional<std::int16_t> SetupParameterField(int row);
    // The row as its registers' Value say (selection, function, switch type, parameter).
    void ShowRow(int row);
    const IoItem* CurrentItem(int row) const;
    QString RowCaption(int row) const;
    QString RpmText(int position) const;
    void SetSwitchType(int row, bool momentary);
    // The switch of row as the session holds it (checked, caption).
    void ShowSwitch(int row);
    void SelectorChosen(int row, int index);
    void SwitchClicked(int row);
    bool ParameterKey(TPNumEdit& field, int key);
    void ReloadParameters();
    void SliderMoved(int position);
    // Writes the pending slider position when it is still current.
    void WriteSpeed(bool dragEnded);
    // The slider, its rpm text and (mirror) the shared speed reference from Value.
    void ShowSliderValue(bool mirror);
    // Writes these registers (and no other changed value of the table) as one request of
    // origin; a value that did not reach the drive is taken back, so no request stays
    // behind in the table. False when one did not.
    bool Commit(const WriteOrigin& origin, const RegisterValues& values);
    void EnableControls(bool enabled);
    // The request masks hold nothing the table would send later.
    void ClearMasks();
    ParamEntry* Entry(std::uint16_t address) const;
    std::vector<int> Codes() const;
    std::int16_t Register(std::uint16_t address) const;
    void SetLed(QLabel* led, LedShade shade) const;
    void PaintNotLive();

    TDriver& driver_;
    DigitalLinks links_;
    DeviceKind kind_;
    DigitalAddresses a_;
    std::array<Row, DigitalRowCount> rows_{};
    QLabel* brake_ = nullptr;
    QSlider* speedSlider_ = nullptr;
    QLabel* speedLabel_ = nullptr;
    DigitalForceSession session_;
};

} // namespace kelm
