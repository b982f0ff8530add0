#include "core/drive/linkscan/UnitPanelView.h"

#include "core/drive/linkscan/LinkFormats.h"
#include "core/drive/status/StatusFormats.h"

namespace kelm {

QStringList UnitValueCaptions(bool isPower) {
    if (isPower)
        return {QStringLiteral("Bus Voltage"), QStringLiteral("Backup"), QStringLiteral("Current"),
                QStringLiteral("I2t Current"), QStringLiteral("I2t Regen")};
    return {QStringLiteral("Motor Speed"),   QStringLiteral("Motor Position"),
            QStringLiteral("Motor Current"), QStringLiteral("Bus Voltage"),
            QStringLiteral("Drive Temp"),    QStringLiteral(" Position ")};
}

QStringList UnitValueUnits(bool isPower) {
    if (isPower)
        return {QStringLiteral("V"), QStringLiteral("V"), QStringLiteral("A"), QStringLiteral("%"),
                QStringLiteral("%")};
    return {QStringLiteral("RPM"),
            QStringLiteral("deg"),
            QStringLiteral("%"),
            QStringLiteral("V"),
            QString::fromUtf8("\xC2\xB0"
                              "C"),
            QStringLiteral("Pulses")};
}

UnitPanelView ComputeUnitPanel(const LinkUnit& unit, const QLocale& locale) {
    UnitPanelView view;
    view.LinkId = QString::number(unit.Address);
    const int valueCount = unit.IsPower ? 5 : 6;
    if (!unit.Answering) {
        for (int i = 0; i < valueCount; ++i)
            view.Values << QString();
        view.IndicatorVisible = !unit.IsPower && (unit.UReg(198) & 1U) != 0;
        return view;
    }
    view.SelectTag = unit.SelectTag;
    if (const ParamEntry* ident = unit.Table.FindByAddress(unit.IdentRegister());
        ident != nullptr && !unit.IdentPending && ident->DriveValue < ident->MaxValue)
        view.CanId = QString::number(ident->DriveValue);
    const std::uint16_t first = unit.RunningTimeRegister();
    view.Life = RunningTimeText(RunningTimeSeconds(unit.UReg(first), unit.UReg(first + 1)));
    const std::uint16_t alarmLow = unit.IsPower ? 83 : 116;
    const bool alarm = unit.Reg(alarmLow) != 0 || unit.Reg(alarmLow + 1) != 0;
    view.AlarmText = alarm ? QStringLiteral("Alarm Found") : QStringLiteral("No Alarm Found");
    view.PictureState = alarm ? 2 : 1;
    if (unit.IsPower) {
        view.Values << QString::number(unit.Reg(78))
                    << FormatOneDecimal(unit.UReg(79) * 0.1, locale)
                    << FormatOneDecimal(unit.UReg(80) * 0.1, locale)
                    << FormatWhole(unit.UReg(81) * 0.1) << FormatWhole(unit.UReg(82) * 0.1);
    } else {
        view.Values << FormatFiveDigits(unit.Reg(194))
                    << FormatAngle(unit.UReg(195) * 360.0 / 65535.0, locale)
                    << FormatFiveDigits(unit.Reg(193)) << FormatFiveDigits(unit.Reg(184))
                    << FormatFiveDigits(unit.Reg(187))
                    << PulsesText(unit.UReg(196), unit.UReg(197));
        view.IndicatorVisible = (unit.UReg(198) & 1U) != 0;
    }
    return view;
}

} // namespace kelm
