#pragma once

#include "core/common/DeviceKind.h"

#include <QString>
#include <QStringList>

namespace kelm {

// What ConfigureForDevice decides for the right-hand status panel, for one kind and
// on-line state. Built by DeviceLayout (pure) and applied by the status panel.
struct StatusPanelLayout {
    DeviceKind Kind = DeviceKind::Std;
    bool Online = false;

    bool DriveGroupVisible = true;      // PDive (Enable/Disable) and the drive status group
    bool PowerGroupVisible = false;     // power status group
    bool AlarmListGroupVisible = false; // " Alarms List " (button "View", never enabled)
    bool LcdGroupVisible = false;
    bool TemperatureRowVisible = false; // on line only; height/tops follow it
    bool OrcaRowsVisible = false;       // "Iq Ref" and "I2t Regen" rows (Orca230 on line)

    bool Analog1Visible = true;
    bool Analog2Visible = true;
    QString Analog1Caption;       // "Analog Out1", "View1", "Monitor"
    QString Analog2Caption;       // "Analog Out2", "View2"
    QStringList Selector1Entries; // COut1 contents (entry index = register value)
    QStringList Selector2Entries; // COut2 contents

    bool Selector1Enabled = false;
    bool Selector2Enabled = false;
    bool ClearSelectorMarks = false;   // user-changed marks of both selectors cleared
    bool EnableButtonsEnabled = false; // BDEn and BDDis; both are put up in every case
    bool AlarmButtonEnabled = false;   // BAllarm
    // Off line: every status value empty, selectors without selection, LCD lines empty,
    // drive-state marker hidden (ClearStatusDisplay).
    bool ClearValues = true;
};

} // namespace kelm
