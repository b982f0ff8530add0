#pragma once

#include "core/drive/linkscan/UnitPanelView.h"

#include <QGroupBox>
#include <vector>

class QFrame;
class QLabel;
class QPushButton;

namespace kelm {

// One unit's panel of the link overview, built from the template of its kind: the
// identification labels ("TARN LINK ID:", "CAN ID:", "LIFE (HH):"), the alarm text, the
// kind's value rows with their units, the select button with the unit's picture, and
// "Alarm History". The select button names the unit; the panel of the unit in use says so in
// its title. SelectTag is the unit's address while the unit answers and 0 otherwise.
class UnitPanel final : public QGroupBox {
    Q_OBJECT
public:
    UnitPanel(bool isPower, std::uint8_t address, QWidget* parent = nullptr);

    // Paints the panel; the picture is only reassigned when its state changes.
    void Apply(const UnitPanelView& view, bool variant);

    // Marks the panel of the unit the program works with.
    void SetInUse(bool inUse);
    bool InUse() const { return inUse_; }

    int SelectTag() const { return selectTag_; }
    int PictureState() const { return pictureState_; }
    int PictureChanges() const { return pictureChanges_; }
    bool IsPower() const { return isPower_; }

    QPushButton* SelectButton = nullptr;
    QPushButton* HistoryButton = nullptr;
    QLabel* LinkId = nullptr;
    QLabel* CanId = nullptr;
    QLabel* Life = nullptr;
    QLabel* AlarmText = nullptr;
    std::vector<QLabel*> Values;
    QFrame* Indicator = nullptr; // Drive units only

private:
    bool isPower_;
    bool inUse_ = false;
    int selectTag_ = 0;
    int pictureState_ = -1;
    bool pictureVariant_ = false;
    int pictureChanges_ = 0;
};

} // namespace kelm
