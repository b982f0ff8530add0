#include "core/config/DeviceConfiguration.h"

#include "core/seams/Messages.h"
#include "core/text/InputFile.h"
#include "core/text/TextLines.h"

namespace kelm {

std::optional<ParamEntry> ParseParamLine(const QString& line) {
    const qsizetype firstTab = line.indexOf(u'\t');
    if (firstTab < 0) {
        return std::nullopt;
    }
    ParamEntry entry;
    // A tab at most at the 20th character ends a name of up to 19 characters; a longer
    // name is cut to its first 19 characters.
    entry.Name = firstTab <= ParamEntry::MaxNameChars ? line.left(firstTab)
                                                      : line.left(ParamEntry::MaxNameChars);
    const QStringList fields = SplitFields(line.mid(firstTab + 1));
    // Access, kind, address, min, max, default and the comparison flag.
    if (fields.size() < 7) {
        return std::nullopt;
    }
    const QString& access = fields[0];
    entry.AccessLetter = (!access.isEmpty() && (access[0] == u'U' || access[0] == u'E'))
                             ? access[0].toLatin1()
                             : 'U';
    const QString& kind = fields[1];
    entry.KindLetter =
        (!kind.isEmpty() && QStringLiteral("NADF").contains(kind[0])) ? kind[0].toLatin1() : 'N';
    const auto address = ParseUInt16(fields[2]);
    const auto minValue = ParseInt16(fields[3]);
    const auto maxValue = ParseInt16(fields[4]);
    const auto defaultValue = ParseInt16(fields[5]);
    const auto compared = ParseInteger(Trim(fields[6]));
    if (!address || !minValue || !maxValue || !defaultValue || !compared) {
        return std::nullopt;
    }
    entry.Address = *address;
    entry.MinValue = *minValue;
    entry.MaxValue = *maxValue;
    entry.DefaultValue = *defaultValue;
    entry.Compared = *compared != 0;
    return entry;
}

bool LoadConfiguration(ParamTable& table, QIODevice& device, const QString& header,
                       const QString& errorTitle, const QString& fileName) {
    LineReader reader(device);
    QString line;
    if (!reader.ReadLine(line) || !HeaderAccepted(line, header)) {
        ShowError(WithLocation(QStringLiteral("Fatal ") + errorTitle +
                                   QStringLiteral("\rApplication Terminate!"),
                               fileName, 1));
        return false;
    }
    reader.ReadLine(line); // column captions, ignored
    while (reader.ReadLine(line)) {
        if (IsSkippable(line)) {
            continue;
        }
        const auto entry = reader.LastLineCut() ? std::nullopt : ParseParamLine(TrimLeft(line));
        if (!entry) {
            ShowError(
                WithLocation(QStringLiteral("Fatal ") + errorTitle +
                                 QStringLiteral("\rConversione Error\rApplication Terminate!"),
                             fileName, reader.LineNumber()));
            return false;
        }
        if (!table.Add(*entry)) {
            ShowError(WithLocation(errorTitle + QStringLiteral("\rParameter Name: ") + entry->Name +
                                       QStringLiteral("\rDuplicate Address !\rParameter Ignored"),
                                   fileName, reader.LineNumber()));
        }
    }
    table.SortByAddress();
    return true;
}

} // namespace kelm
