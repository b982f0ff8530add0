// File > Commissioning Report: the PDF of the drive on line.
#include "ui/shell/CommandController.h"

#include "core/drive/TDriver.h"
#include "core/files/DeviceFile.h"
#include "core/link/ModbusMaster.h"
#include "core/link/PortNames.h"
#include "core/report/ReportSource.h"
#include "core/seams/Messages.h"
#include "core/settings/SettingsStore.h"
#include "gui/ReportDocument.h"
#include "ui/seams/DialogRunner.h"
#include "ui/shell/ProgramSession.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace kelm {

// The report reads the drive model's table as it stands (every write has updated it) and
// the journal; it sends nothing to the drive. The last oscilloscope record goes in when it
// was taken on the unit in use.
void CommandController::WriteReport() {
    TDriver& driver = session_.Driver();
    if (!driver.Online())
        return;
    FileDialogRequest request;
    request.Caption = QStringLiteral("Commissioning Report");
    request.Filter = QStringLiteral("PDF Files (*.pdf)");
    request.DefaultExtension = QStringLiteral("pdf");
    request.InitialDir = session_.Settings().DevicesFolder;
    if (!Dialogs().GetSaveFileName(window_.Window(), request))
        return;
    const QString path = request.FileName;
    if (!HasExtension(path, QStringLiteral("pdf"))) {
        ShowDifferentExtensions(path);
        return;
    }
    const PortNames names([this](int com) { return session_.Settings().PortPath(com); });
    const int address = session_.Master().UnitAddress();
    const ReportRun run{QCoreApplication::applicationName() + QLatin1Char(' ') +
                            QCoreApplication::applicationVersion(),
                        session_.IsExpert() ? QStringLiteral("Expert") : QStringLiteral("Normal"),
                        names.DevicePath(session_.Master().GetPort()), address, session_.Started()};
    CommissioningReport report = BuildReport(driver, run, nullptr);
    QImage picture;
    if (const ScopeSnapshot* scope = session_.ScopeRecord().For(driver.CurrentKind(), address)) {
        picture = scope->Picture;
        report.PictureName = QStringLiteral("oscilloscope.png");
        report.Measurements = scope->Measurements;
    }
    const ReplaceOutcome outcome = WriteReportFile(report, path, picture);
    if (!outcome.Written())
        ShowError(QStringLiteral("Cannot write %1\r%2").arg(path, outcome.Reason));
}

} // namespace kelm
