#include "core/files/ParamFileBody.h"

#include "core/files/ReplacingWriter.h"
#include "core/seams/Messages.h"
#include "core/text/TextLines.h"

#include <vector>

namespace kelm {

void WriteValues(const ParamTable& table, QIODevice& device, const FileStamp& stamp) {
    WriteLine(device, GeneratedOnLine(stamp));
    WriteLine(device, QString::fromLatin1(ParamFileCaptionLine));
    for (const ParamEntry& entry : table) {
        WriteLine(device, entry.Name + u'\t' + QString::number(entry.Address) + u'\t' +
                              QString::number(entry.FileValue));
    }
}

bool ReadValues(ParamTable& table, QIODevice& device, QString& expectedHeading, bool apply,
                const QString& errorTitle) {
    LineReader reader(device);
    QString line1;
    QString line2;
    reader.ReadLine(line1);
    reader.ReadLine(line2);
    if (Trim(line1) + Trim(line2) != expectedHeading) {
        expectedHeading = Trim(line2);
        return false;
    }
    QString ignored;
    reader.ReadLine(ignored); // date line
    reader.ReadLine(ignored); // column captions

    QString line;
    while (reader.ReadLine(line)) {
        const bool cut = reader.LastLineCut();
        if (IsSkippable(line))
            continue;
        line = TrimLeft(line);
        const qsizetype firstTab = line.indexOf(u'\t');
        const qsizetype secondTab = firstTab < 0 ? -1 : line.indexOf(u'\t', firstTab + 1);
        const QString addressText =
            firstTab < 0 ? QString()
                         : line.mid(firstTab + 1, secondTab < 0 ? -1 : secondTab - firstTab - 1);
        const std::optional<std::uint16_t> address = ParseUInt16(addressText);
        if (cut || !address) {
            ShowError(QStringLiteral("Fatal ") + errorTitle);
            return false;
        }
        ParamEntry* entry = table.FindByAddress(*address);
        if (!entry) {
            if (apply) {
                ShowError(errorTitle + QStringLiteral("\rUnknown Parameter: ") + addressText +
                          QStringLiteral("\rValue Ignored!"));
            }
            continue;
        }
        const std::optional<std::int16_t> value =
            ParseInt16(secondTab < 0 ? QString() : Trim(line.mid(secondTab + 1)));
        if (!value) {
            ShowError(QStringLiteral("Fatal ") + errorTitle);
            return false;
        }
        if (apply)
            entry->FileValue = *value;
    }
    // A device that cannot be rewound (a pipe) cannot give the second pass.
    return device.seek(0);
}

bool WriteParamFile(ParamTable& table, const QString& typeLine, const QString& path,
                    const FileStamp& stamp) {
    std::vector<std::int16_t> previous;
    previous.reserve(static_cast<std::size_t>(table.Count()));
    for (const ParamEntry& entry : table)
        previous.push_back(entry.FileValue);

    table.CopyColumn('F', 'P');
    const ReplaceResult result = WriteReplacing(path, [&](QIODevice& device) {
        WriteLine(device, QString::fromLatin1(ParamFileFirstLine));
        WriteLine(device, typeLine);
        WriteValues(table, device, stamp);
    });
    if (result == ReplaceResult::Written)
        return true;
    // Nothing reached the disk: the file values must still describe the old file, or the
    // save offer would take the edits for saved.
    for (int i = 0; i < table.Count(); ++i)
        table.At(i).FileValue = previous[static_cast<std::size_t>(i)];
    return false;
}

bool ReadValuesTwoPass(ParamTable& table, QIODevice& device, QString& expectedHeading,
                       const QString& errorTitle) {
    if (!ReadValues(table, device, expectedHeading, false, errorTitle))
        return false;
    // The file is read again from disk: should it have changed since the checking pass,
    // a failing reading pass must not leave half of its values behind.
    std::vector<std::int16_t> previous;
    previous.reserve(static_cast<std::size_t>(table.Count()));
    for (const ParamEntry& entry : table)
        previous.push_back(entry.FileValue);
    if (!ReadValues(table, device, expectedHeading, true, errorTitle)) {
        for (int i = 0; i < table.Count(); ++i)
            table.At(i).FileValue = previous[static_cast<std::size_t>(i)];
        return false;
    }
    table.CopyColumn('P', 'F');
    return true;
}

} // namespace kelm
