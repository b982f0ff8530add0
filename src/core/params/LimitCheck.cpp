#include "core/params/LimitCheck.h"

#include <QStringList>

namespace kelm {

bool IsUnsignedRegister(const ParamEntry& entry) {
    return entry.MaxValue < 0 && entry.MinValue >= 0;
}

int RegisterNumber(const ParamEntry& entry, std::int16_t word) {
    return IsUnsignedRegister(entry) ? static_cast<int>(static_cast<std::uint16_t>(word))
                                     : static_cast<int>(word);
}

std::vector<OutOfLimitValue>
ValuesOutsideLimits(const ParamTable& table, const std::function<bool(const ParamEntry&)>& sent) {
    std::vector<OutOfLimitValue> outside;
    for (const ParamEntry& entry : table) {
        const bool isSent = sent ? sent(entry) : entry.SentByTableWrite();
        if (!isSent || entry.Value == entry.DriveValue)
            continue;
        const int value = RegisterNumber(entry, entry.Value);
        const int min = RegisterNumber(entry, entry.MinValue);
        const int max = RegisterNumber(entry, entry.MaxValue);
        if (value < min || value > max)
            outside.push_back({entry.Name, entry.Address, value, min, max});
    }
    return outside;
}

QString OutOfLimitLines(const std::vector<OutOfLimitValue>& values) {
    QStringList lines;
    for (const OutOfLimitValue& v : values)
        lines << QStringLiteral("%1 (%2): %3, limits %4 to %5")
                     .arg(v.Name)
                     .arg(v.Address)
                     .arg(v.Value)
                     .arg(v.Min)
                     .arg(v.Max);
    return lines.join(QLatin1Char('\r'));
}

void KeepDriveValues(ParamTable& table, const std::vector<OutOfLimitValue>& values) {
    for (const OutOfLimitValue& v : values)
        if (ParamEntry* entry = table.FindByAddress(v.Address))
            entry->Value = entry->DriveValue;
}

} // namespace kelm
