#include "core/config/DeviceConfiguration.h"

#include "core/seams/Messages.h"
#include "core/text/InputFile.h"
#include "core/text/TextLines.h"

#include <utility>
#include <vector>

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

namespace {

// The lines dropped for a duplicate address, reported in one message after the load: a
// file full of them must not open one box per line.
class DuplicateLines {
public:
    static constexpr int Listed = 10;

    void Add(const QString& name, int line) {
        if (count_++ < Listed)
            lines_.push_back({name, line});
    }

    // One duplicate: the single line's message with its location. Several: the first
    // Listed names with their lines, the count and the file.
    void Report(const QString& errorTitle, const QString& fileName) const {
        const QString closing = QStringLiteral("\rDuplicate Address !\rParameter Ignored");
        if (count_ == 1) {
            ShowError(WithLocation(errorTitle + QStringLiteral("\rParameter Name: ") +
                                       lines_[0].first + closing,
                                   fileName, lines_[0].second));
        } else if (count_ > 1) {
            QString text = errorTitle;
            for (const auto& [name, line] : lines_)
                text += QStringLiteral("\rParameter Name: %1 (line %2)").arg(name).arg(line);
            text += closing + QStringLiteral("\r%1 lines ignored").arg(count_) +
                    (count_ > Listed ? QStringLiteral(", the first %1 listed").arg(Listed)
                                     : QString()) +
                    (fileName.isEmpty() ? QStringLiteral(".") : QStringLiteral(" in ") + fileName);
            ShowError(text);
        }
    }

private:
    int count_ = 0;
    std::vector<std::pair<QString, int>> lines_;
};

} // namespace

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
    DuplicateLines duplicates;
    while (reader.ReadLine(line)) {
        if (IsSkippable(line)) {
            continue;
        }
        const auto entry = reader.LastLineCut() ? std::nullopt : ParseParamLine(TrimLeft(line));
        if (!entry) {
            duplicates.Report(errorTitle, fileName);
            ShowError(
                WithLocation(QStringLiteral("Fatal ") + errorTitle +
                                 QStringLiteral("\rConversione Error\rApplication Terminate!"),
                             fileName, reader.LineNumber()));
            return false;
        }
        if (!table.Add(*entry)) {
            duplicates.Add(entry->Name, reader.LineNumber());
        }
    }
    duplicates.Report(errorTitle, fileName);
    table.SortByAddress();
    return true;
}

} // namespace kelm
