#include "core/drive/status/StatusView.h"

#include "core/drive/KindRegisters.h"
#include "core/drive/status/StatusFormats.h"

namespace kelm {

namespace {

std::int16_t Signed(const ParamTable& table, std::uint16_t address) {
    const ParamEntry* entry = table.FindByAddress(address);
    return entry ? entry->DriveValue : 0;
}

std::uint16_t Unsigned(const ParamTable& table, std::uint16_t address) {
    return static_cast<std::uint16_t>(Signed(table, address));
}

std::array<std::uint16_t, 4> FourWords(const ParamTable& table, std::uint16_t first) {
    return {Unsigned(table, first), Unsigned(table, first + 1), Unsigned(table, first + 2),
            Unsigned(table, first + 3)};
}

void FillPower(const ParamTable& t, StatusView& view, const QLocale& locale) {
    view.PowerBusVoltage = QString::number(Signed(t, 78));
    view.BackupVoltage = FormatOneDecimal(Unsigned(t, 79) * 0.1, locale);
    view.PowerCurrent = FormatOneDecimal(Signed(t, 80) * 0.1, locale);
    view.I2tCurrent = FormatWhole(Signed(t, 81) * 0.1);
    view.PowerI2tRegen = FormatWhole(Signed(t, 82) * 0.1);
    view.PowerTemperature = FormatFiveDigits(Signed(t, 98));
}

void FillDrive(const ParamTable& t, const StatusRegisters& r, StatusView& view,
               const QLocale& locale) {
    view.Speed = FormatFiveDigits(Signed(t, r.Speed));
    view.Angle = FormatAngle(AngleDegrees(Unsigned(t, r.Angle)), locale);
    view.Current = FormatFiveDigits(Signed(t, r.Current));
    view.BusVoltage = FormatFiveDigits(Signed(t, r.BusVoltage));
    view.Temperature = FormatFiveDigits(Signed(t, r.Temperature));
    view.PositionValue = PositionFromWords(Unsigned(t, r.PositionHigh), Unsigned(t, r.PositionLow));
    view.Position = FormatGrouped(view.PositionValue, locale);
    for (int i = 0; i < 2; ++i) {
        view.SelectorValue[i] = Signed(t, r.Selector[i]);
        view.OutputValue[i] = FormatFiveDigits(Signed(t, r.OutputValue[i]));
    }
    view.DriveEnabled = (Unsigned(t, r.DriveState) & 1) != 0;
}

} // namespace

StatusRegisters StatusRegistersOf(DeviceKind kind) {
    if (kind == DeviceKind::Drive)
        return {194, 195, 193, 184, 187, 196, 197, {207, 210}, {209, 212}, 198, 200, 201};
    return {59, 60, 58, 53, 55, 134, 135, {66, 67}, {61, 62}, 65, 73, 74};
}

StatusView BuildStatusView(const ParamTable& table, DeviceKind kind, const QLocale& locale) {
    StatusView view;
    view.Kind = kind;
    if (kind == DeviceKind::Power) {
        FillPower(table, view, locale);
    } else {
        if (kind == DeviceKind::Orca230) {
            view.I2tRegen = FormatOneDecimal(Signed(table, 144) * 0.1, locale);
            view.IqRef = FormatOneDecimal(Signed(table, 145) * 0.1, locale);
            view.Lcd1 = LcdLineText(FourWords(table, 180));
            view.Lcd2 = LcdLineText(FourWords(table, 184));
        }
        FillDrive(table, StatusRegistersOf(kind), view, locale);
    }
    const KindRegisters regs = RegistersOf(kind);
    view.Alarm =
        Signed(table, regs.ActiveAlarmLow) != 0 || Signed(table, regs.ActiveAlarmHigh) != 0;
    return view;
}

} // namespace kelm
