#pragma once

#include "core/common/DeviceKind.h"
#include "ui/pages/IoRules.h"

#include <QWidget>
#include <array>
#include <functional>

class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QSlider;

namespace kelm {

class TDriver;
class TPNumEdit;

// What the digital page asks of the main window.
struct DigitalLinks {
    // Enable/Disable buttons and menu items held (true) until the page is interactive.
    std::function<void(bool held)> HoldDriveRequests;
    // An immediate status poll (it carries switch requests to the drive).
    std::function<void()> PollNow;
    // The slider's rpm text, mirrored into the main page's digital speed field, which the
    // page holds disabled while it is open.
    std::function<void(const QString& rpm)> ShowSpeed;
    std::function<void(bool enabled)> SpeedFieldEnabled;
};

// The digital I/O page: per input the hardware and effective state, a switch that forces
// the input on or releases it, the input's function and that function's parameter; per
// output its function, parameter and state; the digital speed reference slider. The status
// poll refreshes it (DigitalRefresh) and writes the switch requests as two bit masks.
class TFDigital final : public QWidget {
    Q_OBJECT
public:
    TFDigital(TDriver& driver, DigitalLinks links, QWidget* parent = nullptr);
    ~TFDigital() override;

    // After each status poll: LEDs, the two-poll countdown, forced-input display, masks.
    void DigitalRefresh();
    // The main window's Enable (on) and Disable (off) act on the DGT-IN1 switch.
    void SetEnableSwitch(bool on);
    bool Interactive() const { return shown_ && countdown_ == 0; }
    DeviceKind Kind() const { return kind_; }

    QPushButton* Switch(int row) const { return rows_[row].Switch; }
    QComboBox* Selector(int row) const { return rows_[row].Selector; }
    TPNumEdit* Parameter(int row) const { return rows_[row].Parameter; }
    QSlider* SpeedSlider() const { return sAna_; }

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
        int Code = -1; // function code of the selected item
        bool Momentary = false;
        bool Ranged = false; // the parameter field takes a value
        SwitchRequest Request = SwitchRequest::None;
    };

    void BuildRows(QGridLayout* grid);
    void BuildSlider(QGridLayout* grid, int row);
    bool LoadSelections();
    // Limits, value and handlers of the row's parameter field; true when Value was clamped.
    bool SetupParameterField(int row);
    QString RpmText(int position) const;
    void SetSwitchType(int row, bool momentary);
    void SelectorChosen(int row, int index);
    void SwitchClicked(int row);
    bool ParameterKey(TPNumEdit& field, int key);
    void ReloadParameters();
    void SliderMoved(int position);
    void SliderCommit();
    std::vector<int> Codes() const;
    std::int16_t Register(std::uint16_t address) const;
    void SetLed(QLabel* led, bool on) const;

    TDriver& driver_;
    DigitalLinks links_;
    DeviceKind kind_;
    DigitalAddresses a_;
    std::array<Row, DigitalRowCount> rows_{};
    QLabel* brake_ = nullptr;
    QSlider* sAna_ = nullptr;
    QLabel* lSpeed_ = nullptr;
    qint64 throttleStart_ = -1; // ms mark of the slider's current 200 ms window
    int countdown_ = 0;
    bool shown_ = false;
};

} // namespace kelm
