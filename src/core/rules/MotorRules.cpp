#include "core/rules/MotorRules.h"

#include "core/common/PerKind.h"

#include <algorithm>

namespace kelm {

MotorAddresses MotorAddressTable(DeviceKind kind) {
    static constexpr PerKind<MotorAddresses> table{.Std = {},
                                                   .Power = {},
                                                   .Drive = {12, 76, 13, 14, 15, 16, 0, 0, 0},
                                                   .Orca230 = {7, 0, 12, 9, 8, 11, 140, 141, 142}};
    return table[kind];
}

std::vector<PoleItem> PoleItems(int minimum, int maximum, bool motorTypes) {
    std::vector<PoleItem> items;
    int first = std::max(minimum, 0);
    first += first % 2;
    for (int n = first; n <= maximum; n += 2)
        items.push_back({QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')), n});
    if (motorTypes) {
        const char* types[] = {"DC motor", "Stepper", "Asinchronous"};
        for (int k = 0; k < 3; ++k)
            items.push_back({QString::fromLatin1(types[k]), -(k + 1)});
    }
    return items;
}

std::vector<PoleItem> ResolverPoleItems(int maximum) {
    return PoleItems(2, maximum, false);
}

int PoleIndex(const std::vector<PoleItem>& items, int code) {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].Code == code)
            return static_cast<int>(i);
    return -1;
}

int NormalizeResolverPoles(int value, int itemCount) {
    if (value <= 0 || value / 2 > itemCount)
        return 2;
    return value;
}

QStringList FeedbackNames(DeviceKind kind) {
    if (kind == DeviceKind::Orca230)
        return {QStringLiteral("Encoder Commutation"), QString(),
                QStringLiteral("Absolute M/T"),        QStringLiteral("Serial Encoder"),
                QStringLiteral("Encoder Incremental"), QStringLiteral("Sensorless"),
                QStringLiteral("Hall sensor"),         QStringLiteral("Tachogenerator"),
                QStringLiteral("R. Armature"),         QStringLiteral("No feedback")};
    return {QStringLiteral("Encoder"), QStringLiteral("Resolver"), QStringLiteral("Absolute M/T"),
            QStringLiteral("TarnCoder")};
}

QStringList FeedbackItems(DeviceKind kind, int modelFamily) {
    const QStringList names = FeedbackNames(kind);
    switch (kind) {
    case DeviceKind::Drive:
        return {names[0], names[2], names[3]};
    case DeviceKind::Orca230: {
        QStringList items;
        for (const QString& name : names)
            if (!name.isEmpty())
                items << name;
        return items;
    }
    case DeviceKind::Std:
    case DeviceKind::Power:
        break;
    }
    QStringList items{names[0], modelFamily == 3 ? names[2] : names[1]};
    if (modelFamily == 1 || modelFamily == 4)
        items << names[2];
    return items;
}

int FeedbackCode(DeviceKind kind, const QString& name) {
    if (name.isEmpty())
        return -1;
    return static_cast<int>(FeedbackNames(kind).indexOf(name));
}

int NormalizeFeedback(DeviceKind kind, int code) {
    if (code == 1 && (kind == DeviceKind::Drive || kind == DeviceKind::Orca230))
        return 0;
    return code;
}

FeedbackLabels LabelsForFeedback(DeviceKind kind, int code) {
    const QString resolution = QStringLiteral("Resolution (pulses/rev)");
    switch (code) {
    case 1:
        return {QStringLiteral("No. of Poles"), false, true};
    case 2:
        if (kind == DeviceKind::Orca230)
            return {resolution, true, false};
        return {QString(), false, false};
    case 8:
    case 9:
        return {QString(), false, false};
    default:
        return {resolution, true, false};
    }
}

} // namespace kelm
