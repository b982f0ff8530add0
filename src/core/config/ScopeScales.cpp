#include "core/config/ScopeScales.h"

#include "core/seams/Messages.h"
#include "core/text/InputFile.h"
#include "core/text/TextLines.h"

#include <QFile>

namespace kelm {
namespace {

// Fields of a line; of a cut line the partial last field is dropped.
QStringList Fields(const QString& line, bool cut) {
    QStringList fields = SplitFields(line);
    if (cut) {
        fields.removeLast();
    }
    return fields;
}

} // namespace

bool LoadScopeScales(const QString& path, const QString& shownName, ScopeScaleSet& signalSet) {
    signalSet.clear();
    QFile file;
    QString reason;
    if (!OpenInputFile(file, path, reason)) {
        ShowError(WithReason(QStringLiteral("Fail to Open ") + shownName + QStringLiteral(" File"),
                             reason));
        return false;
    }
    LineReader reader(file, ScopeScalesMaxLineChars);
    QString line;
    if (!reader.ReadLine(line) || !HeaderAccepted(line, QLatin1String(ScopeScalesHeader))) {
        ShowError(WithLocation(QStringLiteral("Fatal ") + QStringLiteral("Error in ") + shownName,
                               path, 1));
        return false;
    }
    if (!reader.ReadLine(line)) {
        return true;
    }
    const QStringList names = Fields(Trim(line), reader.LastLineCut());
    for (qsizetype i = 0; i < names.size(); i += 2) {
        const QString name = Trim(names[i]);
        if (name.isEmpty()) {
            break;
        }
        signalSet.push_back({name, {}, Trim(names.value(i + 1))});
    }
    while (reader.ReadLine(line)) {
        if (IsSkippable(line) || !line.contains(u'\t')) {
            continue;
        }
        const QStringList fields = Fields(line, reader.LastLineCut());
        for (std::size_t s = 0; s < signalSet.size(); ++s) {
            const qsizetype at = static_cast<qsizetype>(2 * s);
            if (at + 1 >= fields.size()) {
                break; // the row ends early
            }
            const QString caption = Trim(fields[at]);
            const auto value = ParseInt16(Trim(fields[at + 1]));
            if (!caption.isEmpty() && value) {
                signalSet[s].Scales.push_back({caption, *value});
            }
        }
    }
    return true;
}

} // namespace kelm
