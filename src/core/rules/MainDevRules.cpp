#include "core/rules/MainDevRules.h"

#include "core/common/KindDescriptor.h"
#include "core/params/ParamTable.h"
#include "core/rules/FieldBinding.h"
#include "core/rules/SpeedScaling.h"

#include <algorithm>
#include <cstdlib>

namespace kelm {

MainDevAddresses MainDevAddressTable(DeviceKind kind) {
    if (kind == DeviceKind::Drive)
        return {78, 213, 225, 215, 219, 216, 217, 218, 223, 222, 214, 36, 56, 76};
    return {71, 79, 44, 91, 108, 106, 90, 107, 93, 92, 80, 31, 37, 70};
}

std::uint16_t FeedbackRegister(DeviceKind kind) {
    return kind == DeviceKind::Drive ? 13 : 12;
}

std::array<int, 2> PositionTags(DeviceKind kind) {
    if (kind == DeviceKind::Drive)
        return {PackWideTag(63, 62), PackWideTag(65, 64)};
    return {PackWideTag(147, 146), PackWideTag(149, 148)};
}

QStringList ModeItems(DeviceKind kind) {
    if (kind == DeviceKind::Power)
        return {};
    QStringList items = {QStringLiteral("0: Analog Speed"),   QStringLiteral("1: Digital Speed"),
                         QStringLiteral("2: Analog Torque"),  QStringLiteral("3: Digital Torque"),
                         QStringLiteral("4: Position Mode"),  QStringLiteral("5: Gearing"),
                         QStringLiteral("6: Pulse/Dir Mode"), QStringLiteral("7: CAN Open")};
    items << (kind == DeviceKind::Std ? QStringLiteral("8: Motion Profile")
                                      : QStringLiteral("8: CW/CCW"));
    items << QStringLiteral("9: ETHERCAT") << QStringLiteral("10: Square Wave Period");
    if (kind != DeviceKind::Std) {
        items << QStringLiteral("11: Analog to Position");
        for (int mode = 12; mode <= 20; ++mode)
            items << QStringLiteral("%1: Op Mode %1").arg(mode);
    }
    return items;
}

int ModeIndex(DeviceKind kind, int value) {
    return (value >= 0 && value < ModeItems(kind).size()) ? value : 0;
}

ModeLayout LayoutForMode(DeviceKind kind, int mode) {
    ModeLayout layout;
    layout.DigitalSpeed = mode == 1 || mode == 10;
    layout.SquareWave = mode == 10;
    layout.HwControl = mode == 4 && kind == DeviceKind::Std;
    const bool driveAngleMode = mode == 4 || mode == 5 || mode == 6 || mode == 8;
    layout.SearchAngle = mode != 7 && mode != 9 && (kind != DeviceKind::Drive || driveAngleMode);
    const bool positioning = (mode >= 4 && mode <= 9) || (mode >= 11 && mode <= 20);
    layout.SpeedButton = mode == 0 || mode == 1 || mode == 10 || positioning;
    layout.PositionButton = positioning;
    return layout;
}

std::array<QString, 2> PositionCaptions(int mode) {
    if (mode == 10)
        return {QStringLiteral("Software Limit HI"), QStringLiteral("Software Limit LO")};
    return {QStringLiteral("Position 1"), QStringLiteral("Position 2")};
}

std::uint16_t NormalizeHwControl(std::uint16_t value) {
    const int bits = value & 6;
    if (bits == 2 || bits == 4)
        return value;
    return static_cast<std::uint16_t>((value & ~6) | 4);
}

bool HwControlChecked(std::uint16_t value) {
    return (value & 6) == 2;
}

std::uint16_t WithHwControl(std::uint16_t value, bool checked) {
    return static_cast<std::uint16_t>((value & ~6) | (checked ? 2 : 4));
}

int VoltageChoices::IndexOf(int code) const {
    const auto it = std::find(Codes.begin(), Codes.end(), code);
    return it == Codes.end() ? -1 : static_cast<int>(it - Codes.begin());
}

VoltageChoices MainVoltageChoices(int family, int series) {
    const QString single = QStringLiteral("Single Phase");
    const QString v110 = QStringLiteral("110 V");
    const QString v230 = QStringLiteral("230 V");
    const QString v400 = QStringLiteral("400 V");
    const QString v480 = QStringLiteral("480 V");
    if (family == 1)
        return {{single, v230, v400, v480}, {1, 230, 400, 480}, 230};
    if (family == 4 && series == 0)
        return {{v400, v480}, {400, 480}, 400};
    return {{v110, v230}, {110, 230}, 230};
}

QString FeedbackText(int code) {
    switch (code) {
    case 1:
        return QStringLiteral("Resolver");
    case 2:
        return QStringLiteral("Absolute M/T");
    case 3:
        return QStringLiteral("Serial Encoder");
    default:
        return QStringLiteral("Encoder");
    }
}

bool EncoderOutEnabled(DeviceKind kind, int family, int feedbackCode) {
    if (feedbackCode == 1 || feedbackCode == 3)
        return true;
    if (feedbackCode == 2)
        return false;
    return kind != DeviceKind::Orca230 && !(kind == DeviceKind::Std && family == 3);
}

QString PowerVoltageText(int code) {
    switch (code) {
    case 1:
        return QStringLiteral("230Vac 1 Phase");
    case 230:
        return QStringLiteral("230Vac 3 Phase");
    case 400:
        return QStringLiteral("400Vac 3 Phase");
    default:
        return QStringLiteral("UNKNOWN");
    }
}

QString DriveModelText(int code) {
    return code == 300 ? QStringLiteral("TND 300") : QStringLiteral("TND 600");
}

QString MainDevCaption(DeviceKind kind) {
    return QString::fromLatin1(Describe(kind).MainPageCaption);
}

std::int16_t MainDevEdits::Shown(std::uint16_t address) const {
    const ParamEntry* entry = table_->FindByAddress(address);
    return edits_.Shown(address, entry != nullptr ? entry->Value : 0);
}

bool MainDevEdits::SetWord(std::uint16_t address, std::int16_t value) {
    if (table_->FindByAddress(address) == nullptr || Shown(address) == value)
        return false;
    edits_.SetWord(address, value);
    return true;
}

bool MainDevEdits::SetPair(std::uint16_t low, std::uint16_t high, std::int32_t number) {
    if (table_->FindByAddress(low) == nullptr || table_->FindByAddress(high) == nullptr ||
        JoinWords(Shown(high), Shown(low)) == number)
        return false;
    edits_.SetWord(low, LowWordOf(number));
    edits_.SetWord(high, HighWordOf(number));
    return true;
}

bool MainDevEdits::SetBits(std::uint16_t address, std::uint16_t mask, bool set) {
    const auto shown = static_cast<std::uint16_t>(Shown(address));
    if (table_->FindByAddress(address) == nullptr || ((shown & mask) == (set ? mask : 0)))
        return false;
    edits_.SetBits(address, mask, set);
    return true;
}

bool MainDevEdits::SetHwControl(std::uint16_t address, bool checked) {
    const auto shown = static_cast<std::uint16_t>(Shown(address));
    if (table_->FindByAddress(address) == nullptr || WithHwControl(shown, checked) == shown)
        return false;
    edits_.SetBits(address, 2, checked);
    edits_.SetBits(address, 4, !checked);
    return true;
}

bool MainDevEdits::NormalizeHwControlBits(std::uint16_t address) {
    const auto shown = static_cast<std::uint16_t>(Shown(address));
    if (table_->FindByAddress(address) == nullptr || NormalizeHwControl(shown) == shown)
        return false;
    return SetHwControl(address, false);
}

std::int32_t MainDevEdits::ShownRpm(std::uint16_t address, std::int32_t limit) const {
    return std::clamp(RawToRpm(Shown(address), limit), -std::abs(limit), std::abs(limit));
}

bool MainDevEdits::SetRpm(std::uint16_t address, std::int32_t rpm, std::int32_t limit) {
    if (rpm == ShownRpm(address, limit))
        return false;
    return SetWord(address, RpmToRaw(rpm, limit));
}

std::int32_t MainDevEdits::SpeedLimit(std::uint16_t maxSpeed) const {
    return table_->FindByAddress(maxSpeed) != nullptr ? std::abs(static_cast<int>(Shown(maxSpeed)))
                                                      : 0;
}

std::int32_t MainDevEdits::ShownSpeed(std::uint16_t speed, std::uint16_t maxSpeed) const {
    return RawToRpm(Shown(speed), SpeedLimit(maxSpeed));
}

bool MainDevEdits::TakeSpeed(std::uint16_t speed, std::uint16_t maxSpeed, std::int32_t rpm) {
    if (table_->FindByAddress(speed) == nullptr || table_->FindByAddress(maxSpeed) == nullptr)
        return false;
    return SetRpm(speed, rpm, SpeedLimit(maxSpeed));
}

} // namespace kelm
