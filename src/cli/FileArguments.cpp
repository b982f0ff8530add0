#include "cli/FileArguments.h"

#include "core/text/InputFile.h"

namespace kelm::cli {

namespace {
const QString ForceName = QStringLiteral("force");
} // namespace

void AddForceOption(CommandLine& line) {
    line.AddFlag(ForceName, QStringLiteral("Overwrite a read-only FILE (its permissions stay)."));
}

ReadOnlyFiles ReadOnlyPolicy(const CommandLine& line) {
    return line.IsSet(ForceName) ? ReadOnlyFiles::Overwrite : ReadOnlyFiles::Refuse;
}

bool CheckOutputFile(const QString& path, ReadOnlyFiles readOnly) {
    const SaveTarget target = InspectSaveTarget(path, readOnly);
    if (target.Accepted())
        return true;
    const QString hint = target.ReadOnly ? QStringLiteral(" (--force overwrites it)") : QString();
    CommandLine::Complain(QStringLiteral("cannot write %1: %2%3").arg(path, target.Reason, hint));
    return false;
}

bool CheckInputFile(const QString& path) {
    QString reason;
    if (CanOpenInputFile(path, reason))
        return true;
    CommandLine::Complain(
        QStringLiteral("cannot read %1: %2")
            .arg(path, reason.isEmpty() ? QStringLiteral("There is no such file.") : reason));
    return false;
}

} // namespace kelm::cli
