#pragma once

#include "core/common/DeviceKind.h"
#include "core/rules/GenInfoModel.h"

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
// bits, CAN baud rate, device address, number of Drive units on a Tarn Power unit). It keeps
// its edits (the user's choices and the corrections made when it opens) apart from the
// active table; "&Apply" writes exactly those registers, "&Cancel" drops them. Off line the
// settings and "&Apply" are disabled and "&Ok" says that nothing was written; closing never
// writes.
class TFGenInfo final : public QDialog {
    Q_OBJECT
public:
    TFGenInfo(TDriver& driver, QWidget* parent = nullptr);

    DeviceKind Kind() const { return kind_; }
    // Whether a control carries the red change mark: its setting is edited.
    bool IsMarked(const QWidget* control) const;
    bool HasEdits() const { return !edits_.Empty(); }

    // The buttons' actions. Apply: true when every edit reached the drive (false off line,
    // nothing written, the edits kept). Ok applies and closes, or stays with what is left.
    bool Apply();
    void Ok();
    void Cancel();
    // The settings and Apply follow the line state.
    void SetOnline(bool online);

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override; // Escape and the close box behave as "&Cancel"

private:
    void Build();
    QLabel* AddPanel(QGroupBox* group, int row, const QString& name, const QString& caption);
    // The controls as the edits show the table.
    void LoadControls();
    // The numbers typed into the fields become edits.
    void CollectFields();
    void Recolour();

    TDriver& driver_;
    DeviceKind kind_;
    GenInfoRegisters registers_;
    GenInfoEdits edits_;

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
