#include "core/rules/IoRules.h"

#include <cstdlib>

namespace kelm {

DigitalAddresses DigitalAddressTable(DeviceKind kind) {
    DigitalAddresses a;
    if (kind == DeviceKind::Drive) {
        a.Effective = 198;
        a.Hardware = 199;
        a.ForceOn = 200;
        a.Release = 201;
        a.Selector = {0, 79, 80, 81, 0, 83, 84, 85, 86, 87, 88, 99, 101};
        a.Parameter = {0, 89, 90, 91, 0, 93, 94, 95, 96, 97, 98, 100, 102};
        a.Slider = 214;
        return a;
    }
    a.Effective = 65;
    a.Hardware = 72;
    a.ForceOn = 73;
    a.Release = 74;
    a.Selector = {0, 104, 87, 88, 105, 0, 0, 0, 0, 124, 127, 125, 126};
    a.Parameter = {0, 128, 129, 130, 131, 0, 0, 0, 0, 132, 133, 136, 137};
    a.Slider = 80;
    return a;
}

DigitalRowLayout DigitalRowLayoutOf(DeviceKind kind, int row) {
    DigitalRowLayout r;
    const bool orca = kind == DeviceKind::Orca230;
    if (row >= DigitalInputCount) { // outputs: hardware bits 14, 15 (Orca 13, 14)
        r.StateLed = false;
        r.HardwareBit = (orca ? 13 : 14) + row - DigitalInputCount;
        return r;
    }
    r.Switch = true;
    r.HardwareBit = row;
    if (!orca)
        return r;
    if (row == 6 || row == 9 || row == 10) {
        r.Visible = false;
        r.Switch = false;
    } else if (row == 5) {
        r.FixedText = QStringLiteral("ALARM RESET");
    } else if (row == 7 || row == 8) {
        r.Switch = false;
        r.StateLed = false;
        r.FixedText = row == 7 ? QStringLiteral("STO 1") : QStringLiteral("STO 2");
    }
    return r;
}

int BrakeLedBit(DeviceKind kind) {
    return kind == DeviceKind::Orca230 ? 15 : -1;
}

RequestMasks BuildRequestMasks(const std::array<SwitchRequest, DigitalRowCount>& requests) {
    RequestMasks masks;
    for (int i = 0; i < DigitalRowCount; ++i) {
        const auto bit = static_cast<std::uint16_t>(1u << i);
        if (requests[i] == SwitchRequest::On)
            masks.ForceOn |= bit;
        else if (requests[i] == SwitchRequest::Off)
            masks.Release |= bit;
    }
    return masks;
}

bool InitialSwitchState(bool hardware, bool effective) {
    return effective && !hardware;
}

bool ShownSwitchState(bool current, bool hardware, bool effective) {
    if (!current && !hardware && effective)
        return true;
    if (current && !hardware && !effective)
        return false;
    return current;
}

bool RepairSelection(int& index, const std::vector<int>& itemCodes,
                     const std::vector<int>& earlierCodes) {
    bool changed = false;
    if (index < 0 || index >= static_cast<int>(itemCodes.size())) {
        index = 0;
        changed = true;
    }
    if (itemCodes.empty())
        return changed;
    for (const int code : earlierCodes) {
        if (code == itemCodes[static_cast<std::size_t>(index)]) {
            changed = changed || index != 0;
            index = 0;
            break;
        }
    }
    return changed;
}

int LockingRow(int code, const std::vector<int>& rowCodes, int self) {
    for (int i = 0; i < static_cast<int>(rowCodes.size()); ++i)
        if (i != self && rowCodes[static_cast<std::size_t>(i)] == code)
            return i;
    return -1;
}

QString LockMessage(const QString& function, const QString& ownerCaption,
                    const QString& ownerShows) {
    return QStringLiteral("Funcion - ") + function + QStringLiteral("\r\nLocked by ") +
           ownerCaption + QStringLiteral(" : ") + ownerShows;
}

AnalogAddresses AnalogAddressTable(DeviceKind kind) {
    if (kind == DeviceKind::Drive)
        return {{26, 32}, {25, 31}, {27, 33}, {28, 34}};
    return {{17, 22}, {29, 30}, {28, 50}, {138, 139}};
}

std::int32_t OffsetToTenthsMv(std::int32_t raw) {
    return static_cast<std::int32_t>(static_cast<std::int64_t>(raw) * 100000 / 32768);
}

std::int32_t TenthsMvToOffset(std::int32_t tenths) {
    const std::int64_t magnitude = (std::llabs(tenths) * 32768LL + 99999) / 100000;
    return static_cast<std::int32_t>(tenths < 0 ? -magnitude : magnitude);
}

} // namespace kelm
