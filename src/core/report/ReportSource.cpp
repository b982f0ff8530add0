#include "core/report/ReportSource.h"

#include "core/common/KindDescriptor.h"
#include "core/drive/TDriver.h"
#include "core/journal/Journal.h"
#include "core/rules/UnitIdentity.h"

#include <pwd.h>
#include <unistd.h>

namespace kelm {

CommissioningReport BuildReport(const TDriver& driver, const ReportRun& run, QStringList* notes) {
    CommissioningReport report;
    report.Program = run.Program;
    report.Date = QDateTime::currentDateTime();
    report.UserName = CurrentUserName();
    report.UserLevel = run.UserLevel;
    const DeviceKind kind = driver.CurrentKind();
    report.Drive = {kind, QString::fromLatin1(Describe(kind).Text),
                    IdentityOf(kind, driver.ActiveTable()), run.Port, run.Address};
    report.Parameters = DifferingParameters(driver.ActiveTable(), kind);
    report.ChangesSince = run.ChangesSince;
    const Journal::Listing listing = Journal(Journal::Options{JournalPath()}).Read();
    if (notes != nullptr)
        *notes << listing.Skipped;
    report.Changes =
        SessionChanges(listing.Entries, report.Drive, run.ChangesSince, driver.ActiveTable());
    return report;
}

QString CurrentUserName() {
    if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_name != nullptr)
        return QString::fromLocal8Bit(user->pw_name);
    return qEnvironmentVariable("USER");
}

} // namespace kelm
