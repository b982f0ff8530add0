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

bool SaveProfilesFile(ParamTable& table, const QString& path, const FileStamp& stamp) {
    if (WriteParamFile(table, QString::fromLatin1(ProfilesFileTypeLine), path, stamp))
        return true;
    ShowError(QStringLiteral("Unable save Profiles: ") + path);
    return false;
}

bool OpenProfilesFile(ParamTable& table, const QString& path) {
    QFile file;
    QString reason;
    if (!OpenInputFile(file, path, reason)) {
        ShowError(WithReason(QStringLiteral("Unable open Profile: ") + path, reason));
        return false;
    }
    QString heading =
        QString::fromLatin1(ParamFileFirstLine) + QString::fromLatin1(ProfilesFileTypeLine);
    if (!ReadValuesTwoPass(table, file, heading, ErrorTitle)) {
        ShowError(ErrorTitle + QStringLiteral(": ") + path +
                  QStringLiteral("\rOperation Ignored !"));
        return false;
    }
    return true;
}

} // namespace kelm
