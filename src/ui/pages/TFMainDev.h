#pragma once

#include "core/common/DeviceKind.h"
#include "core/rules/MainDevRules.h"
#include "ui/widgets/PageFields.h"

#include <QWidget>
#include <functional>
#include <vector>

class QCheckBox;
class QCloseEvent;
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
// Tarn Power unit its supply and regeneration resistor. Every control writes through:
// a choice, Enter or leaving a field the user typed into becomes an edit of the page when
// it changes what the page shows, and the page then writes exactly its own edits (never
// another window's values, never a control the user did not touch). An edit that did not
// reach the drive stays on the page. Corrections the page makes when it is set up (unlisted
// codes) are its edits and are written at once. Off line the controls are disabled;
// closing the page never writes.
class TFMainDev final : public QWidget {
    Q_OBJECT
public:
    TFMainDev(TDriver& driver, MainDevLinks links, QWidget* parent = nullptr);
    ~TFMainDev() override;

    // Lays the page out for the current kind and loads it from the active table, dropping
    // the page's edits; unlisted stored codes are replaced and written.
    void Setup();
    // Edit controls and the File menu follow the on-line state.
    void SetOnline(bool online);
    bool FileMenuEnabled() const { return fileMenuEnabled_; }
    // The digital speed field and its exit action: the speed the field holds is written
    // unless it is the speed the page shows. The page publishes the field as the shared
    // digital speed reference (TDriver::DigitalSpeed), which other windows show and fill.
    TPNumEdit* SpeedField() const { return speedField_; }
    void SpeedFieldExit();
    // Edits not yet written (a write failed, or the drive was off line).
    bool HasEdits() const { return !edits_.Empty(); }

    DeviceKind Kind() const { return kind_; }
    // The size the page wants inside its frame for the current kind.
    QSize PageSize() const;

protected:
    // Grows the surrounding sub-window when the kind's layout needs more room.
    bool event(QEvent* event) override;
    // The speed field enabled again after another window showed its speeds in it.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMainGroup();
    void BuildHomingGroup();
    void BuildPowerGroup();
    TPNumEdit* NewField(const QString& name, QWidget* parent);
    QPushButton* NewPageButton(const QString& name, const QString& caption);
    // Enables a page button when its page exists.
    void EnablePageButton(QPushButton* button, bool enabled);

    void SetupDrive();
    void SetupPower();
    // Shows what the mode shows; a hardware-control state to force is an edit.
    void ApplyMode(int mode, bool setButtons);
    // The homing controls from the stored method; an unknown method is an edit.
    void LoadHoming();
    void ShowHomingField(TPNumEdit* field, bool enabled);
    void ShowSpeedField();
    // What the speed field shows, for the windows that share the digital speed reference.
    void PublishSpeed();

    // Another window wrote registers of the table: the page shows what follows from them.
    void TableChanged(const std::vector<std::uint16_t>& registers);
    // Feedback display and the "Encoder Out" button from the feedback register.
    void RefreshFeedback();
    // Power unit: reselect the regeneration resistor from its register (an edit of the
    // page's own is dropped).
    void RefreshRegen();
    // The speed limit was written: the speed field takes it (a changed speed is written).
    void SpeedLimitChanged();
    // A speed typed in another window, written as if the user left the field with it.
    void SpeedEntered(int rpm);
    void ModeChosen(int index);
    void MainVoltageChosen(int index);
    void TorqueSatChosen(int index);
    void HwControlClicked(bool checked);
    void HomingChosen();
    void RegenChosen(int index);
    void FieldLeft(TPNumEdit& field);
    // The speed the field holds becomes an edit unless it is the shown one; true when it did.
    bool TakeSpeed();
    // Writes the page's edits under the page's action. tell: the user asked, so off line
    // says that nothing was written. true when no edit is left.
    bool Commit(bool tell);
    // A field from its register(s) as the page shows them.
    void ShowField(TPNumEdit* field);
    void RecolourAll();
    void Recolour(TPNumEdit* field);
    // The registers behind a field: one, or a 32-bit field's low and high word.
    std::vector<std::uint16_t> FieldRegisters(const TPNumEdit* field) const;
    const ParamEntry* Entry(std::uint16_t address) const;

    TDriver& driver_;
    MainDevLinks links_;
    DeviceKind kind_ = DeviceKind::Std;
    MainDevAddresses a_;
    PageFields fields_;
    MainDevEdits edits_;
    VoltageChoices voltages_;
    bool fileMenuEnabled_ = false;
    bool online_ = true;
    bool closing_ = false; // a field left while the page closes writes nothing

    QGroupBox* mainGroup_ = nullptr;
    QGroupBox* homingGroup_ = nullptr;
    QGroupBox* powerGroup_ = nullptr;
    QComboBox* cMode_ = nullptr;
    QLabel* lSpd_[3] = {};
    TPNumEdit* speedField_ = nullptr;
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
    QComboBox* homingSensors_ = nullptr;
    QCheckBox* cZero_ = nullptr;
    QLabel* lSearch_ = nullptr;
    TPNumEdit* eSearch_ = nullptr;
    TPNumEdit* eAcc_ = nullptr;
    TPNumEdit* eSpeed_ = nullptr;
    TPNumEdit* eZero_ = nullptr;
    TPNumEdit* eOffSet_ = nullptr;
    QLabel* powerVoltage_ = nullptr;
    QComboBox* cRgn_ = nullptr;
};

} // namespace kelm
