#include "core/config/HomingDescriptors.h"

#include "core/common/KindDescriptor.h"
#include "core/seams/Messages.h"
#include "core/text/InputFile.h"
#include "core/text/TextLines.h"

#include <QFile>
#include <algorithm>
#include <limits>
#include <optional>

namespace kelm {
namespace {

constexpr int RecordFieldCount = 9;

// Names up to a line "End". false when the file ends first.
bool ReadNames(LineReader& reader, QStringList& names) {
    QString line;
    while (reader.ReadLine(line)) {
        const QString trimmed = Trim(line);
        if (trimmed == QLatin1String("End")) {
            return true;
        }
        if (IsSkippable(line)) {
            continue;
        }
        names.append(Trim(trimmed.section(u'\t', 0, 0)));
    }
    return false;
}

std::optional<HomingMethod> ParseRecord(const QString& line) {
    const QStringList fields = SplitFields(Trim(line));
    if (fields.size() < RecordFieldCount) {
        return std::nullopt;
    }
    std::array<long long, RecordFieldCount> numbers{};
    for (int i = 0; i < RecordFieldCount; ++i) {
        const auto number = ParseInteger(Trim(fields[i]));
        if (!number) {
            return std::nullopt;
        }
        numbers[i] = *number;
    }
    constexpr long long intMax = std::numeric_limits<int>::max();
    HomingMethod method;
    method.Code = static_cast<std::uint16_t>(static_cast<unsigned long long>(numbers[0]) & 0xFFFFu);
    method.NameIndex = numbers[1] < 0 || numbers[1] > intMax ? -1 : static_cast<int>(numbers[1]);
    method.SensorIndex = numbers[2] < 0 || numbers[2] > intMax ? -1 : static_cast<int>(numbers[2]);
    // Each flag is one byte wide: only the low 8 bits of its number count.
    const auto flag = [&numbers](int i) {
        return (static_cast<unsigned long long>(numbers[i]) & 0xFFu) != 0;
    };
    method.UsesZeroEncoder = flag(3);
    method.UsesSearchAngle = flag(4);
    method.UsesAcceleration = flag(5);
    method.UsesSpeed = flag(6);
    method.UsesZeroSpeed = flag(7);
    method.UsesOffset = flag(8);
    return method;
}

bool ReadDescriptors(LineReader& reader, HomingDescriptors& homing) {
    QString line;
    if (!reader.ReadLine(line) || !HeaderAccepted(line, QLatin1String(HomingHeader))) {
        return false;
    }
    if (!reader.ReadLine(line) || !HeaderAccepted(line, QStringLiteral("Method Descriptors")) ||
        !ReadNames(reader, homing.MethodNames)) {
        return false;
    }
    if (!reader.ReadLine(line) || !HeaderAccepted(line, QStringLiteral("Sensor Descriptors")) ||
        !ReadNames(reader, homing.SensorNames)) {
        return false;
    }
    if (homing.MethodNames.isEmpty()) {
        return false;
    }
    reader.ReadLine(line); // two caption lines
    reader.ReadLine(line);
    while (reader.ReadLine(line)) {
        if (IsSkippable(line)) {
            continue;
        }
        const auto method = reader.LastLineCut() ? std::nullopt : ParseRecord(line);
        if (!method) {
            return false;
        }
        const bool nameShown =
            method->NameIndex >= 0 && method->NameIndex < homing.MethodNames.size();
        const bool sensorShown =
            method->SensorIndex >= 0 && method->SensorIndex <= homing.SensorNames.size();
        if (nameShown && sensorShown) {
            homing.Methods.push_back(*method);
        }
    }
    // The page falls back to the first record, so at least one must exist.
    return !homing.Methods.empty();
}

} // namespace

const HomingMethod* HomingDescriptors::FindByCode(std::uint16_t code) const {
    for (const HomingMethod& method : Methods) {
        if (method.Code == code) {
            return &method;
        }
    }
    return nullptr;
}

QString HomingFileName(DeviceKind kind) {
    return QString::fromLatin1(Describe(kind).HomingFile);
}

bool LoadHomingDescriptors(const QString& path, const QString& fileName,
                           HomingDescriptors& homing) {
    homing = HomingDescriptors{};
    QFile file;
    QString reason;
    if (!OpenInputFile(file, path, reason)) {
        ShowError(WithReason(QStringLiteral("Fail to Open ") + fileName + QStringLiteral(" File"),
                             reason));
        return false;
    }
    LineReader reader(file);
    if (!ReadDescriptors(reader, homing)) {
        homing = HomingDescriptors{};
        ShowError(WithLocation(QStringLiteral("Fatal ") + QStringLiteral("Error in ") + fileName +
                                   QStringLiteral("\rLoad Default Data!"),
                               path, std::max(reader.LineNumber(), 1)));
        return false;
    }
    return true;
}

} // namespace kelm
