#include "core/config/BootloaderRecords.h"

#include "core/text/InputFile.h"
#include "core/text/TextLines.h"

#include <QFile>

namespace kelm {
namespace {

BootloaderRecord ParseRecord(const QString& rawLine) {
    const QString line = TrimLeft(rawLine);
    if (line.isEmpty()) {
        return {};
    }
    // Field 1 is a label and is not used.
    const QStringList fields = SplitFields(line);
    const auto first = ParseUInt16(fields.value(1));
    const auto second = ParseUInt16(fields.value(2));
    if (!first || !second) {
        return {};
    }
    return {*first, *second, fields.value(3)};
}

} // namespace

BootloaderRecords LoadBootloaderRecords(const QString& path) {
    BootloaderRecords records;
    QFile file;
    QString reason;
    if (!OpenInputFile(file, path, reason)) {
        return records;
    }
    LineReader reader(file);
    QString line;
    if (!reader.ReadLine(line) || Trim(line) != QLatin1String(BootloaderHeader)) {
        return records;
    }
    reader.ReadLine(line); // ignored
    if (reader.ReadLine(line)) {
        records.Drive = ParseRecord(line);
    }
    if (reader.ReadLine(line)) {
        records.Orca230 = ParseRecord(line);
    }
    return records;
}

} // namespace kelm
