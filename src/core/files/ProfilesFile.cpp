#include "core/files/ProfilesFile.h"

#include "core/files/ParamFileBody.h"
#include "core/seams/Messages.h"
#include "core/text/InputFile.h"

#include <QFile>

namespace kelm {
namespace {

const QString ErrorTitle = QStringLiteral("Error Opening Profiles");

} // namespace

QString ProfilesFileFilter() {
    return QStringLiteral("Profile File (*.bcp)");
}

bool SaveProfilesFile(ParamTable& table, const QString& path, const FileStamp& stamp,
                      ReadOnlyFiles readOnly) {
    const ReplaceOutcome outcome =
        WriteParamFile(table, QString::fromLatin1(ProfilesFileTypeLine), path, stamp, readOnly);
    if (outcome.Written())
        return true;
    ShowError(WithReason(QStringLiteral("Unable save Profiles: ") + path, outcome.Reason));
    return false;
}

bool OpenProfilesFile(ParamTable& table, const QString& path, ValueLinesReport* report) {
    QFile file;
    QString reason;
    if (!OpenInputFile(file, path, reason)) {
        ShowError(WithReason(QStringLiteral("Unable open Profile: ") + path, reason));
        return false;
    }
    QString heading =
        QString::fromLatin1(ParamFileFirstLine) + QString::fromLatin1(ProfilesFileTypeLine);
    ValueLinesReport lines;
    const bool read = ReadValuesTwoPass(table, file, heading, ErrorTitle, lines);
    if (report != nullptr)
        *report = lines;
    if (!read) {
        ShowError(ErrorTitle + QStringLiteral(": ") + path +
                  QStringLiteral("\rOperation Ignored !"));
        return false;
    }
    ShowValueLinesReport(lines, ErrorTitle, path);
    return true;
}

} // namespace kelm
