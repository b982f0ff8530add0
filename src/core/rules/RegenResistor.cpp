#include "core/rules/RegenResistor.h"

namespace kelm {

namespace {

int Offset(int mainVoltage) {
    return (mainVoltage == 1 || mainVoltage == 230) ? 4 : 0;
}

} // namespace

QStringList RegenItems(int mainVoltage) {
    if (mainVoltage == 1 || mainVoltage == 230)
        return {QStringLiteral("160 W"), QStringLiteral("500 W")};
    if (mainVoltage == 400)
        return {QStringLiteral("100 W"), QStringLiteral("160 W"), QStringLiteral("500 W"),
                QStringLiteral("1000 W")};
    return {};
}

int RegenCode(int mainVoltage, int index) {
    if (index < 0 || index >= RegenItems(mainVoltage).size())
        return -1;
    return index + Offset(mainVoltage);
}

int RegenIndex(int mainVoltage, int code) {
    const int index = code - Offset(mainVoltage);
    if (index < 0 || index >= RegenItems(mainVoltage).size())
        return -1;
    return index;
}

} // namespace kelm
