#include "core/files/ParamFileBody.h"

#include "core/seams/Messages.h"
#include "core/text/TextLines.h"

#include <unordered_set>
#include <vector>

namespace kelm {

QString ValueLinesReport::CoverageNote() const {
    if (Covered >= TableCount)
        return QString();
    return QStringLiteral("%1 of %2 registers in the file.").arg(Covered).arg(TableCount);
}

QString ValueLinesReport::Message(const QString& errorTitle) const {
    if (Complete())
        return QString();
    if (Ignored == 0)
        return CoverageNote();
    QString text = errorTitle;
    for (const QString& address : IgnoredAddresses)
        text += QStringLiteral("\rUnknown Parameter: ") + address;
    text += QStringLiteral("\rValue Ignored!");
    if (Ignored > 1) {
        text += Ignored > IgnoredAddresses.size()
                    ? QStringLiteral("\r%1 lines ignored, the first %2 listed.")
                          .arg(Ignored)
                          .arg(IgnoredAddresses.size())
                    : QStringLiteral("\r%1 lines ignored.").arg(Ignored);
    }
    const QString coverage = CoverageNote();
    return coverage.isEmpty() ? text : text + u'\r' + coverage;
}

void ShowValueLinesReport(const ValueLinesReport& report, const QString& errorTitle,
                          const QString& path) {
    if (report.Ignored > 0)
        ShowError(report.Message(errorTitle));
    else if (!report.Complete())
        ShowInfo(path + u'\r' + report.CoverageNote());
}

void WriteValues(const ParamTable& table, QIODevice& device, const FileStamp& stamp) {
    WriteLine(device, GeneratedOnLine(stamp));
    WriteLine(device, QString::fromLatin1(ParamFileCaptionLine));
    for (const ParamEntry& entry : table) {
        WriteLine(device, entry.Name + u'\t' + QString::number(entry.Address) + u'\t' +
                              QString::number(entry.FileValue));
    }
}

bool ReadValues(ParamTable& table, QIODevice& device, QString& expectedHeading, bool apply,
                const QString& errorTitle, ValueLinesReport& report) {
    report = ValueLinesReport{};
    report.TableCount = table.Count();
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

    std::unordered_set<std::uint16_t> covered;
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
            ++report.Ignored;
            if (report.IgnoredAddresses.size() < ValueLinesReport::ListedLines)
                report.IgnoredAddresses << addressText;
            continue;
        }
        const std::optional<std::int16_t> value =
            ParseInt16(secondTab < 0 ? QString() : Trim(line.mid(secondTab + 1)));
        if (!value) {
            ShowError(QStringLiteral("Fatal ") + errorTitle);
            return false;
        }
        covered.insert(*address);
        if (apply)
            entry->FileValue = *value;
    }
    report.Covered = static_cast<int>(covered.size());
    // A device that cannot be rewound (a pipe) cannot give the second pass.
    return device.seek(0);
}

ReplaceOutcome WriteParamFile(ParamTable& table, const QString& typeLine, const QString& path,
                              const FileStamp& stamp, ReadOnlyFiles readOnly) {
    std::vector<std::int16_t> previous;
    previous.reserve(static_cast<std::size_t>(table.Count()));
    for (const ParamEntry& entry : table)
        previous.push_back(entry.FileValue);

    table.CopyColumn(Column::FileValue, Column::Value);
    const ReplaceOutcome outcome = WriteReplacing(
        path,
        [&](QIODevice& device) {
            WriteLine(device, QString::fromLatin1(ParamFileFirstLine));
            WriteLine(device, typeLine);
            WriteValues(table, device, stamp);
        },
        readOnly);
    if (outcome.Written())
        return outcome;
    // Nothing reached the disk: the file values must still describe the old file, or the
    // save offer would take the edits for saved.
    for (int i = 0; i < table.Count(); ++i)
        table.At(i).FileValue = previous[static_cast<std::size_t>(i)];
    return outcome;
}

bool ReadValuesTwoPass(ParamTable& table, QIODevice& device, QString& expectedHeading,
                       const QString& errorTitle, ValueLinesReport& report) {
    if (!ReadValues(table, device, expectedHeading, false, errorTitle, report))
        return false;
    // The file is read again from disk: should it have changed since the checking pass,
    // a failing reading pass must not leave half of its values behind.
    std::vector<std::int16_t> previous;
    previous.reserve(static_cast<std::size_t>(table.Count()));
    for (const ParamEntry& entry : table)
        previous.push_back(entry.FileValue);
    if (!ReadValues(table, device, expectedHeading, true, errorTitle, report)) {
        for (int i = 0; i < table.Count(); ++i)
            table.At(i).FileValue = previous[static_cast<std::size_t>(i)];
        return false;
    }
    table.CopyColumn(Column::Value, Column::FileValue);
    return true;
}

} // namespace kelm
