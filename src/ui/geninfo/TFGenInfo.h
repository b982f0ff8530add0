#pragma once

#include "core/common/DeviceKind.h"
#include "ui/geninfo/GenInfoModel.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace kelm {

class TDriver;
class TPNumEdit;

// The " General Settings" dialog in the variant of the current kind: the drive's
// identification and its general settings (regeneration resistor, relay and emergency-stop
// bits, CAN baud rate, device address, number of Drive units on a Tarn Power unit). It works
// on the active table; "&Apply" stores the controls and writes the changed values.
class TFGenInfo final : public QDialog {
    Q_OBJECT
public:
    TFGenInfo(TDriver& driver, QWidget* parent = nullptr);

    DeviceKind Kind() const { return kind_; }
    // Whether a control carries the red change mark.
    static bool IsMarked(const QWidget* control);

    // The buttons' actions.
    void Apply();
    void Ok();
    void Cancel();

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override; // Escape and the close box behave as "&Cancel"

private:
    void Build();
    QLabel* AddPanel(QGroupBox* group, int row, const QString& name, const QString& caption);
    void LoadControls();
    void Mark(QWidget* control, bool marked);
    void ClearMarks();

    TDriver& driver_;
    DeviceKind kind_;
    GenInfoRegisters registers_;

    QLabel* pcVersion_ = nullptr;
    QGroupBox* driveGroup_ = nullptr;
    QLabel* lModel_ = nullptr;
    QLabel* pModel_ = nullptr;
    QLabel* lFirmware_ = nullptr;
    QLabel* pFirmware_ = nullptr;
    QLabel* lSize_ = nullptr;
    QLabel* pSize_ = nullptr;
    QLabel* lBoot_ = nullptr;
    QLabel* pBoot_ = nullptr;
    QLabel* lApplication_ = nullptr;
    QLabel* pApplication_ = nullptr;
    QGroupBox* hwGroup_ = nullptr;
    QLabel* pHwInfo_ = nullptr;
    QGroupBox* regenGroup_ = nullptr;
    QComboBox* cRegen_ = nullptr;
    QGroupBox* relayGroup_ = nullptr;
    QCheckBox* cI2t_ = nullptr;
    QCheckBox* cReady_ = nullptr;
    QGroupBox* stopGroup_ = nullptr;
    QCheckBox* cEmergency_ = nullptr;
    QGroupBox* canGroup_ = nullptr;
    QComboBox* cCan_ = nullptr;
    QGroupBox* idGroup_ = nullptr;
    TPNumEdit* eAddress_ = nullptr;
    QPushButton* bDefault_ = nullptr;
    QGroupBox* unitsGroup_ = nullptr;
    TPNumEdit* eUnits_ = nullptr;
    QPushButton* bApply_ = nullptr;
    QPushButton* bOk_ = nullptr;
    QPushButton* bCancel_ = nullptr;
};

} // namespace kelm
