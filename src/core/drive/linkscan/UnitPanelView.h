#pragma once

#include "core/drive/linkscan/LinkUnit.h"

#include <QLocale>
#include <QString>
#include <QStringList>

namespace kelm {

// What one unit's panel shows, computed from the unit's table and flags.
struct UnitPanelView {
    // 0 not answering, 1 answering without alarm, 2 alarm (selects the button's picture).
    int PictureState = 0;
    std::uint8_t SelectTag = 0;
    QString LinkId;    // "TARN LINK ID:" value: the unit's address
    QString CanId;     // "CAN ID:" value; empty while the identification is not read
    QString Life;      // "LIFE (HH):" value
    QString AlarmText; // "Alarm Found" / "No Alarm Found"; empty when silent
    // Power: Bus Voltage, Backup, Current, I2t Current, I2t Regen.
    // Drive: Motor Speed, Motor Position, Motor Current, Bus Voltage, Drive Temp, Pulses.
    QStringList Values;
    bool IndicatorVisible = false; // Drive: bit 0 of register 198
};

// Value captions and units of a kind's panel, in the order of UnitPanelView::Values.
QStringList UnitValueCaptions(bool isPower);
QStringList UnitValueUnits(bool isPower);

// The panel of a unit; decimal separators from `locale`.
UnitPanelView ComputeUnitPanel(const LinkUnit& unit, const QLocale& locale);

} // namespace kelm
