#include "core/config/AlarmTexts.h"

#include "core/seams/Messages.h"
#include "core/text/InputFile.h"
#include "core/text/TextLines.h"

#include <QFile>

namespace kelm {
namespace {

constexpr int StdColumn = 0;
constexpr int OrcaColumn = 3;

// The fields after the alarm number are separated by tabs, so only blanks other than tab
// are removed at both ends: an empty Std column must not let the Power text slide into it.
QString TrimKeepingTabs(const QString& text) {
    const auto removable = [](QChar c) { return IsBlank(c) && c != u'\t'; };
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && removable(text[first])) {
        ++first;
    }
    while (last > first && removable(text[last - 1])) {
        --last;
    }
    return text.mid(first, last - first);
}

void FillDefaults(AlarmTextLists& lists) {
    for (int kind = 0; kind < DeviceKindCount; ++kind) {
        lists[kind].clear();
    }
    for (int n = 1; n <= DefaultAlarmTextCount; ++n) {
        for (int kind = StdColumn; kind < OrcaColumn; ++kind) {
            lists[kind].append(DefaultAlarmText(n));
        }
    }
}

} // namespace

QString DefaultAlarmText(int number) {
    return QString::number(number) + QStringLiteral(" Alarm nr. ") + QString::number(number);
}

AlarmTextLists LoadAlarmTexts(const QString& path) {
    AlarmTextLists lists;
    QFile file;
    QString reason;
    if (!OpenInputFile(file, path, reason)) {
        ShowError(
            WithReason(QStringLiteral("Fail to Open Allarms Messages Configuration File"), reason) +
            QStringLiteral("\rLoad Defaut Message"));
        FillDefaults(lists);
        return lists;
    }
    LineReader reader(file);
    QString line;
    if (!reader.ReadLine(line) || Trim(line) != QLatin1String(AlarmTextsHeader)) {
        ShowError(WithLocation(QStringLiteral("Fatal ") +
                                   QStringLiteral("Error Opening Allarms Messages") +
                                   QStringLiteral("\rLoad Defaut Message"),
                               path, 1));
        FillDefaults(lists);
        return lists;
    }
    int expected = 1;
    while (reader.ReadLine(line)) {
        line = TrimLeft(line);
        const qsizetype tab = line.indexOf(u'\t');
        if (IsSkippable(line) || tab < 0) {
            continue;
        }
        const auto number = ParseInteger(line.left(tab));
        if (number && *number == expected) {
            const QStringList fields = SplitFields(TrimKeepingTabs(line.mid(tab + 1)));
            for (int kind = 0; kind < DeviceKindCount; ++kind) {
                const QString text = fields.value(kind).left(AlarmTextMaxChars);
                if (!text.isEmpty()) {
                    lists[kind].append(text);
                }
            }
        }
        // Numbers out of step are not used, but their position still gets its default.
        for (int kind = StdColumn; kind < OrcaColumn; ++kind) {
            if (lists[kind].size() < expected) {
                lists[kind].append(DefaultAlarmText(expected));
            }
        }
        ++expected;
    }
    return lists;
}

} // namespace kelm
