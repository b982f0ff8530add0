#include "core/drive/linkscan/LinkFormats.h"

namespace kelm {

std::uint32_t RunningTimeSeconds(std::uint16_t high, std::uint16_t low) {
    return (static_cast<std::uint32_t>(high) << 16) | low;
}

QString RunningTimeText(std::uint32_t seconds) {
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg((seconds / 60) % 60)
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString PulsesText(std::uint16_t high, std::uint16_t low) {
    const auto pulses = static_cast<std::int32_t>(RunningTimeSeconds(high, low));
    return QString::number(pulses);
}

} // namespace kelm
