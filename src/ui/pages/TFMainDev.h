#pragma once

#include "core/common/DeviceKind.h"
#include "ui/pages/MainDevRules.h"
#include "ui/widgets/PageFields.h"

#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace kelm {

class TDriver;
class TPNumEdit;
struct ParamEntry;

// What the main parameter page needs from the main window.
struct MainDevLinks {
    // A page button was pressed: open (or bring up) that page. name is the page's window
    // name ("TFSpeed", ...), caption the button's text.
    std::function<void(const QString& name, const QString& caption)> OpenPage;
    // Whether this build has that page; a page it lacks leaves its button disabled. Empty:
    // every page is there.
    std::function<bool(const QString& name)> HasPage;
    // The page's File menu: Save / Save As of the main window follow it.
    std::function<void(bool enabled)> SetSaveEnabled;
};

// The first parameter page of a connected drive: operating mode and its settings, main
// voltage, torque saturation, feedback, homing and the buttons of the other pages; for a
// Tarn Power unit its supply and regeneration resistor. Every field writes through: Enter
// or leaving a field stores the number in the register's Value and, when it changed,
// writes the changed values to the drive.
class TFMainDev final : public QWidget {
    Q_OBJECT
public:
    TFMainDev(TDriver& driver, MainDevLinks links, QWidget* parent = nullptr);
    ~TFMainDev() override;

    // Lays the page out for the current kind and loads it from the active table; unlisted
    // stored codes are replaced and written.
    void Setup();
    // Edit controls and the File menu follow the on-line state.
    void SetOnline(bool online);
    bool FileMenuEnabled() const { return fileMenuEnabled_; }
    // Feedback display and the "Encoder Out" button from the feedback register.
    void RefreshFeedback();
    // Power unit: reselect the regeneration resistor from its register.
    void RefreshRegen();
    // The digital speed field (oscilloscope speed mirror) and its exit action.
    TPNumEdit* SpeedField() const { return eSpd_; }
    void SpeedFieldExit();

    DeviceKind Kind() const { return kind_; }
    // The size the page wants inside its frame for the current kind.
    QSize PageSize() const;

protected:
    // Grows the surrounding sub-window when the kind's layout needs more room.
    bool event(QEvent* event) override;

private:
    void BuildMainGroup();
    void BuildHomingGroup();
    void BuildPowerGroup();
    TPNumEdit* NewField(const QString& name, QWidget* parent);
    QPushButton* NewPageButton(const QString& name, const QString& caption);
    // Enables a page button when its page exists.
    void EnablePageButton(QPushButton* button, bool enabled);

    bool SetupDrive();
    bool SetupPower();
    bool ApplyMode(int mode, bool setButtons);
    bool LoadHoming();
    void ShowHomingField(TPNumEdit* field, bool enabled);
    void ShowSpeedField();

    void ModeChosen(int index);
    void MainVoltageChosen(int index);
    void TorqueSatChosen(int index);
    void HwControlClicked(bool checked);
    void HomingChosen();
    void RegenChosen(int index);
    void WriteField(TPNumEdit& field);
    void WriteChanged();
    void RecolourAll();
    ParamEntry* Entry(std::uint16_t address) const;

    TDriver& driver_;
    MainDevLinks links_;
    DeviceKind kind_ = DeviceKind::Std;
    MainDevAddresses a_;
    PageFields fields_;
    VoltageChoices voltages_;
    bool fileMenuEnabled_ = false;
    bool online_ = true;

    QGroupBox* mainGroup_ = nullptr;
    QGroupBox* homingGroup_ = nullptr;
    QGroupBox* powerGroup_ = nullptr;
    QComboBox* cMode_ = nullptr;
    QLabel* lSpd_[3] = {};
    TPNumEdit* eSpd_ = nullptr;
    QLabel* lSq_[3] = {};
    TPNumEdit* eSq_ = nullptr;
    QCheckBox* cHwControl_ = nullptr;
    TPNumEdit* eTorqSat_ = nullptr;
    QComboBox* cTorqSat_ = nullptr;
    QLabel* lMainV_ = nullptr;
    QComboBox* cMainV_ = nullptr;
    QLabel* pResolver_ = nullptr;
    QLabel* pModel_ = nullptr;
    QLabel* lPos1_ = nullptr;
    QLabel* lPos2_ = nullptr;
    TPNumEdit* ePos1_ = nullptr;
    TPNumEdit* ePos2_ = nullptr;
    QPushButton* bSpeed_ = nullptr;
    QPushButton* bCurrent_ = nullptr;
    QPushButton* bMotor_ = nullptr;
    QPushButton* bDigital_ = nullptr;
    QPushButton* bAnalog_ = nullptr;
    QPushButton* bEncOut_ = nullptr;
    QPushButton* bPosition_ = nullptr;
    QComboBox* cSearch_ = nullptr;
    QComboBox* cNona_ = nullptr;
    QCheckBox* cZero_ = nullptr;
    QLabel* lSearch_ = nullptr;
    TPNumEdit* eSearch_ = nullptr;
    TPNumEdit* eAcc_ = nullptr;
    TPNumEdit* eSpeed_ = nullptr;
    TPNumEdit* eZero_ = nullptr;
    TPNumEdit* eOffSet_ = nullptr;
    QLabel* pVlt_ = nullptr;
    QComboBox* cRgn_ = nullptr;
};

} // namespace kelm
