#include "core/drive/DriveIdentity.h"

#include "core/drive/TDriver.h"
#include "core/params/ParamTable.h"

namespace kelm {

namespace {

std::uint16_t Register0(const ParamTable& table) {
    const ParamEntry* entry = table.FindByAddress(0);
    return entry ? static_cast<std::uint16_t>(entry->Value) : 0;
}

int HighByte(std::uint16_t word) {
    return word >> 8;
}
int LowByte(std::uint16_t word) {
    return word & 0xFF;
}

} // namespace

bool ReadIdentityRegisters(TDriver& driver) {
    // A register that does not answer ends the reads: a silent drive costs one register's
    // tries, not three registers' worth, before the caller says so.
    for (const std::uint16_t address : IdentityRegisters)
        if (ParamEntry* entry = driver.ActiveTable().FindByAddress(address);
            entry != nullptr && !driver.ReadEntry(*entry, false))
            return false;
    return true;
}

int GetModelFamily(DeviceKind kind, const ParamTable& table) {
    return kind == DeviceKind::Std ? HighByte(Register0(table)) : 0;
}

int GetModelSeries(const ParamTable& table) {
    return LowByte(Register0(table)) / 100;
}

double GetDriveSize(DeviceKind kind, const ParamTable& table) {
    const std::uint16_t word = Register0(table);
    switch (kind) {
    case DeviceKind::Std: {
        const int family = HighByte(word);
        int size = LowByte(word);
        if (family == 4)
            size %= 100;
        if ((family == 1 || family == 4) && (size == 1 || size == 3))
            return size + 0.5;
        return size;
    }
    case DeviceKind::Power:
    case DeviceKind::Drive: {
        if (HighByte(word) != 5)
            return 0.0;
        const int b = LowByte(word);
        if (b < 100)
            return 0.0;
        if (b < 200)
            return b - 100;
        const int size = b - 200;
        return size < 4 ? size + 0.5 : size;
    }
    case DeviceKind::Orca230:
        return static_cast<std::int16_t>(word) * 0.1;
    }
    return 0.0;
}

QString ModelText(DeviceKind kind, const ParamTable& table) {
    const std::uint16_t word = Register0(table);
    switch (kind) {
    case DeviceKind::Std:
        switch (GetModelFamily(kind, table)) {
        case 1:
            return QStringLiteral(" ZEPHON ");
        case 2:
            return QStringLiteral(" QBX-Net ");
        case 3:
            return QStringLiteral(" Rapid Lynx ");
        case 4:
            switch (GetModelSeries(table)) {
            case 0:
                return QStringLiteral(" MZ400T ");
            case 1:
                return QStringLiteral(" MZ230T ");
            case 2:
                return QStringLiteral(" MZ230M ");
            default:
                return QStringLiteral(" MiniZephon ");
            }
        default:
            return QStringLiteral("  UNKNOW ");
        }
    case DeviceKind::Drive:
        if (HighByte(word) != 5)
            return QStringLiteral("  ERROR");
        if (LowByte(word) < 100)
            return QStringLiteral("Unknow");
        if (LowByte(word) < 200)
            return QStringLiteral("Tarn Drive 300");
        return QStringLiteral("Tarn Drive 600");
    case DeviceKind::Power:
        return LowByte(word) > 199 ? QStringLiteral("Tarn Power 600")
                                   : QStringLiteral("Tarn Power 300");
    case DeviceKind::Orca230:
        return QStringLiteral(" TARN ");
    }
    return QStringLiteral("  UNKNOW ");
}

bool RegenChoiceEnabled(int family) {
    return family == 1 || family == 4;
}

bool ReadyRelayChoiceEnabled(int family) {
    return family == 1 || family == 4;
}

bool DriveTypeValid(const ParamTable& table) {
    return HighByte(Register0(table)) == 5;
}

QString StdFirmwareText(std::uint16_t word) {
    const int high = HighByte(word);
    const QString major = high >= 16 ? QString::number(high, 16).toUpper() : QString::number(high);
    return QStringLiteral(" ") + major + QStringLiteral(".") + QString::number(LowByte(word));
}

QString BootVersionText(std::uint16_t word) {
    return QStringLiteral(" ") + QString::number(HighByte(word)) + QStringLiteral(".") +
           QString::number(LowByte(word));
}

QString HexWordText(std::uint16_t word) {
    return QStringLiteral("%1").arg(word, 4, 16, QLatin1Char('0')).toUpper();
}

QString HardwareInfoText(const std::array<std::int16_t, 8>& r) {
    const QString gap = QStringLiteral("   ");
    const int magnitude = r[6] < 0 ? -r[6] : r[6];
    const QString r6 =
        QString(r[6] < 0 ? "-" : "") + QStringLiteral("%1").arg(magnitude, 3, 10, QLatin1Char('0'));
    return QString::number(r[0]) + "." + QString::number(r[1]) + "." + QString::number(r[2]) + gap +
           QString::number(r[3]) + ":" + QString::number(r[4]) + gap + QString::number(r[5]) + "." +
           r6 + "." + QString::number(r[7]);
}

QString SizeText(double size, bool leadingBlank) {
    return (leadingBlank ? QStringLiteral(" ") : QString()) + QString::number(size, 'f', 1);
}

const CanBaudList& PlainCanBaudList() {
    static const CanBaudList list{
        {"50 Kbps", "100 Kbps", "125 Kbps", "250 Kbps", "500 Kbps", "800 Kbps", "1000 Kbps"},
        {50, 100, 125, 250, 500, 800, 1000, 0},
        7};
    return list;
}

const CanBaudList& LinkCanBaudList() {
    static const CanBaudList list{{"1 Mbit/s", "800 kbit/s", "500 kbit/s", "250 kbit/s",
                                   "125 kbit(s", "50 kbit/s", "20 kbit/s", "10 kbit/s"},
                                  {1000, 800, 500, 250, 125, 50, 20, 10},
                                  8};
    return list;
}

int CanBaudIndex(const CanBaudList& list, int value) {
    for (int i = 0; i < list.Count; ++i)
        if (list.Values[static_cast<std::size_t>(i)] == value)
            return i;
    return -1;
}

} // namespace kelm
