#include "core/config/AnalogOutLabels.h"

#include "core/common/KindDescriptor.h"
#include "core/seams/Messages.h"
#include "core/text/InputFile.h"
#include "core/text/TextLines.h"

#include <QFile>

namespace kelm {

QString AnalogOutLabelsFileName(DeviceKind kind) {
    return QString::fromLatin1(Describe(kind).AnalogOutLabelsFile);
}

bool LoadAnalogOutLabels(const QString& path, const QString& fileName, AnalogOutLabels& labels) {
    labels = AnalogOutLabels{};
    QFile file;
    QString reason;
    if (!OpenInputFile(file, path, reason)) {
        ShowError(WithReason(QStringLiteral("Fail to Open ") + fileName + QStringLiteral(" File"),
                             reason) +
                  QStringLiteral("\rLoad Default Data!"));
        return false;
    }
    LineReader reader(file);
    QString line;
    if (!reader.ReadLine(line) || !HeaderAccepted(line, QLatin1String(AnalogOutLabelsHeader))) {
        ShowError(WithLocation(QStringLiteral("Fatal ") + QStringLiteral("Error in ") + fileName +
                                   QStringLiteral("\rLoad Default Data!"),
                               path, 1));
        return false;
    }
    while (reader.ReadLine(line)) {
        line = TrimLeft(line);
        const qsizetype tab = line.indexOf(u'\t');
        if (IsSkippable(line) || tab < 0) {
            continue;
        }
        labels.First.append(line.left(tab));
        labels.Second.append(line.mid(tab + 1).section(u'\t', 0, 0));
    }
    return true;
}

} // namespace kelm
