#include "core/report/ValueDisplay.h"

#include "core/rules/FieldBinding.h"
#include "core/rules/IoRules.h"
#include "core/rules/LoopRules.h"
#include "core/rules/MainDevRules.h"

#include <vector>

namespace kelm {
namespace {

struct Field {
    int Address;
    RegisterDisplay Display;
};

// The numeric fields of the speed, current, position, analog and main pages with their
// decimals and units, as the pages lay them out.
std::vector<Field> FieldsOf(DeviceKind kind) {
    const auto ms = QStringLiteral("ms");
    const CurrentAddresses c = CurrentAddressTable(kind);
    const SpeedAddresses s = SpeedAddressTable(kind);
    const PositionAddresses p = PositionAddressTable(kind);
    const MainDevAddresses m = MainDevAddressTable(kind);
    std::vector<Field> fields{
        {c.Inom, {0, QStringLiteral("%")}},
        {c.Imax, {0, QStringLiteral("%")}},
        {c.I2t, {2, QStringLiteral("s")}},
        {c.Tn, {1, ms}},
        {s.Speed, {0, QStringLiteral("rpm")}},
        {s.RampUp, {0, ms}},
        {s.RampDown, {0, ms}},
        {s.EmergencyRamp, {0, ms}},
        {s.PidFilter, {1, ms}},
        {s.Feedback, {1, ms}},
        {p.FeedForward, {0, QStringLiteral("%")}},
        {p.ErrorLow,
         {0, QStringLiteral("pulses"),
          static_cast<std::uint16_t>(p.ErrorHigh > 0 ? p.ErrorHigh : 0)}},
        {p.Filter, {1, ms}},
        {m.SquareWave, {0, ms}},
    };
    if (kind != DeviceKind::Power) {
        const AnalogAddresses a = AnalogAddressTable(kind);
        for (std::size_t i = 0; i < 2; ++i) {
            fields.push_back({a.Filter[i], {1, ms}});
            fields.push_back({a.DeadBand[i], {1, QStringLiteral("mV")}});
            fields.push_back({a.Offset[i], {1, QStringLiteral("mV"), 0, true}});
        }
    }
    return fields;
}

} // namespace

RegisterDisplay DisplayOf(DeviceKind kind, std::uint16_t address) {
    for (const Field& field : FieldsOf(kind))
        if (field.Address > 0 && field.Address == address)
            return field.Display;
    return {};
}

bool IsHighWordOfPair(DeviceKind kind, std::uint16_t address) {
    for (const Field& field : FieldsOf(kind))
        if (field.Address > 0 && field.Display.HighWord != 0 && field.Display.HighWord == address)
            return true;
    return false;
}

QString DisplayText(const RegisterDisplay& display, std::int16_t value, std::int16_t high) {
    std::int64_t number = value;
    if (display.HighWord != 0)
        number = JoinWords(high, value);
    else if (display.AnalogOffset)
        number = OffsetToTenthsMv(value);
    if (display.Decimals <= 0)
        return QString::number(number);
    std::int64_t scale = 1;
    for (int i = 0; i < display.Decimals; ++i)
        scale *= 10;
    const std::int64_t magnitude = number < 0 ? -number : number;
    return (number < 0 ? QStringLiteral("-") : QString()) + QString::number(magnitude / scale) +
           QLatin1Char(',') +
           QStringLiteral("%1").arg(magnitude % scale, display.Decimals, 10, QLatin1Char('0'));
}

} // namespace kelm
