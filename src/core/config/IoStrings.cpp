#include "core/config/IoStrings.h"

#include "core/common/KindDescriptor.h"
#include "core/seams/Messages.h"
#include "core/text/InputFile.h"
#include "core/text/TextLines.h"

#include <QFile>
#include <algorithm>
#include <optional>

namespace kelm {
namespace {

// Item fields: ItemFlag, Text, Number1, Number2, Number3 (to the next tab or line end).
std::optional<IoItem> ParseItem(const QStringList& fields, qsizetype first) {
    if (fields.size() < first + 5) {
        return std::nullopt;
    }
    const auto flag = ParseInteger(fields[first]);
    const auto n1 = ParseInt16(fields[first + 2]);
    const auto n2 = ParseInt16(fields[first + 3]);
    const auto n3 = ParseInt16(fields[first + 4]);
    if (!flag || !n1 || !n2 || !n3) {
        return std::nullopt;
    }
    IoItem item;
    item.ItemFlag = *flag != 0;
    item.Text = fields[first + 1];
    item.Number1 = *n1;
    item.Number2 = *n2;
    item.Number3 = *n3;
    item.HasRange = item.Number2 != 0 || item.Number3 != 0;
    return item;
}

enum class Next { Line, End, Error };

// The next line holding a tab, skipping empty and comment lines; trailing blanks removed.
Next NextDataLine(LineReader& reader, QString& line) {
    while (reader.ReadLine(line)) {
        if (IsSkippable(line) || !line.contains(u'\t')) {
            continue;
        }
        if (reader.LastLineCut()) {
            return Next::Error;
        }
        line = TrimRight(line);
        return Next::Line;
    }
    return Next::End;
}

bool IsContinuation(const QString& line) {
    return line.startsWith(u'\t') || Trim(line.section(u'\t', 0, 0)).isEmpty();
}

} // namespace

QString IoStringsFileName(DeviceKind kind) {
    return QString::fromLatin1(Describe(kind).IoStringsFile);
}

bool LoadIoStrings(const QString& path, DeviceKind kind, IoGroups& groups) {
    groups = IoGroups{};
    QFile file;
    QString reason;
    if (!OpenInputFile(file, path, reason)) {
        const QString shown =
            kind == DeviceKind::Std ? QStringLiteral("DigIO.dll") : IoStringsFileName(kind);
        ShowError(
            WithReason(QStringLiteral("Fail to Open ") + shown + QStringLiteral(" File"), reason) +
            QStringLiteral("\rApplication Terminate!"));
        return false;
    }
    LineReader reader(file);
    // The line in hand when the error was found.
    const auto fatal = [&groups, &path, &reader] {
        ShowError(WithLocation(QStringLiteral("Fatal ") +
                                   QStringLiteral("Error Opening Digital I/O Strings") +
                                   QStringLiteral("\rApplication Terminate!"),
                               path, std::max(reader.LineNumber(), 1)));
        groups = IoGroups{};
        return false;
    };
    QString line;
    if (!reader.ReadLine(line) || !HeaderAccepted(line, QLatin1String(IoStringsHeader))) {
        return fatal();
    }
    reader.ReadLine(line); // column captions, ignored

    Next next = NextDataLine(reader, line);
    for (IoGroup& group : groups) {
        if (next == Next::Error) {
            return fatal();
        }
        if (next == Next::End) {
            break;
        }
        // Group line: Caption, Multi, then the first item.
        const QStringList fields = SplitFields(Trim(line));
        const auto multi = ParseInteger(fields.value(1)); // no second field: nullopt
        const auto item = ParseItem(fields, 2);
        if (!multi || !item) {
            return fatal();
        }
        group.Caption = fields[0];
        group.Items.push_back(*item);
        next = NextDataLine(reader, line);
        // Continuation lines (first field blank) add items to a Multi group; the first
        // line with a caption starts the next group.
        while (*multi != 0 && next == Next::Line && IsContinuation(line)) {
            const auto more = ParseItem(SplitFields(line), 2);
            if (!more) {
                return fatal();
            }
            group.Items.push_back(*more);
            next = NextDataLine(reader, line);
        }
    }
    return true;
}

} // namespace kelm
