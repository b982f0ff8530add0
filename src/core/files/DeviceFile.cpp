#include "core/files/DeviceFile.h"

#include "core/common/KindDescriptor.h"
#include "core/files/ParamFileBody.h"
#include "core/seams/Messages.h"
#include "core/text/InputFile.h"

#include <QFile>
#include <QFileInfo>

namespace kelm {
namespace {

const QString ErrorTitle = QStringLiteral("Error Opening Device");

} // namespace

DeviceFileType DeviceFileTypeOf(DeviceKind kind) {
    if (!IsDescribed(kind))
        return {QStringLiteral(".dev"), QStringLiteral("Unknow"), QString()};
    const KindDescriptor& kindOf = Describe(kind);
    return {QString::fromLatin1(kindOf.DeviceFileExtension),
            QString::fromLatin1(kindOf.DeviceFileTypeLine), QString::fromLatin1(kindOf.Text)};
}

QString DeviceFileHeading(DeviceKind kind) {
    return QString::fromLatin1(ParamFileFirstLine) + DeviceFileTypeOf(kind).TypeLine;
}

QStringList DeviceFileFilters() {
    return {QStringLiteral("Devices File (*.dev)"), QStringLiteral("Tarn Power File (*.tnp)"),
            QStringLiteral("Tarn Drive File (*.tnd)"), QStringLiteral("Device File (*.tno)")};
}

bool HasExtension(const QString& path, const QString& extension) {
    const QString suffix = QFileInfo(path).suffix();
    const QString wanted = extension.startsWith(u'.') ? extension.mid(1) : extension;
    return suffix.compare(wanted, Qt::CaseInsensitive) == 0;
}

bool HasDeviceFileExtension(const QString& path, DeviceKind kind) {
    return HasExtension(path, DeviceFileTypeOf(kind).Extension);
}

bool SaveDeviceFile(ParamTable& table, DeviceKind kind, const QString& path, const FileStamp& stamp,
                    ReadOnlyFiles readOnly) {
    const ReplaceOutcome outcome =
        WriteParamFile(table, DeviceFileTypeOf(kind).TypeLine, path, stamp, readOnly);
    if (outcome.Written())
        return true;
    ShowError(WithReason(QStringLiteral("Unable save Device: ") + path, outcome.Reason));
    return false;
}

bool OpenDeviceFile(ParamTable& table, DeviceKind kind, const QString& path, bool online,
                    ValueLinesReport* report) {
    QFile file;
    QString reason;
    if (!OpenInputFile(file, path, reason)) {
        ShowError(WithReason(QStringLiteral("Unable open Device: ") + path, reason));
        return false;
    }
    QString heading = DeviceFileHeading(kind);
    ValueLinesReport lines;
    const bool read = ReadValuesTwoPass(table, file, heading, ErrorTitle, lines);
    if (report != nullptr)
        *report = lines;
    if (!read) {
        if (heading.startsWith(QString::fromLatin1(ParamFileFirstLine))) {
            ShowError(ErrorTitle + QStringLiteral(": ") + path +
                      QStringLiteral("\rOperation Ignored !"));
        } else {
            ShowError(ErrorTitle + QStringLiteral(": ") + path +
                      QStringLiteral("\rFile TYPE not correct!\rLooking for: ") +
                      DeviceFileTypeOf(kind).KindName + QStringLiteral(" data file"));
        }
        return false;
    }
    if (!online)
        table.CopyColumn(Column::DriveValue, Column::Value);
    ShowValueLinesReport(lines, ErrorTitle, path);
    return true;
}

bool ShouldOfferSave(const ParamTable& table, const QString& currentFileName) {
    return !currentFileName.isEmpty() && table.HasUnsavedChanges();
}

QString SaveOfferText(DeviceKind kind, const QString& currentFileName) {
    const QString question = kind == DeviceKind::Power
                                 ? QStringLiteral("Save Current Tarn Power ?\r")
                                 : QStringLiteral("Save Current Device ?\r");
    return question + currentFileName;
}

} // namespace kelm
