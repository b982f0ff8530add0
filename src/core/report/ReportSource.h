#pragma once

#include "core/report/CommissioningReport.h"

#include <QStringList>

namespace kelm {

class TDriver;

// What the program or kelmctl knows about the run besides the drive model.
struct ReportRun {
    QString Program;   // "kelmdrive 1.4.0"
    QString UserLevel; // empty where the program has none
    QString Port;
    int Address = 0;
    QDateTime ChangesSince; // the start of the session
};

// The report of the drive on line: identity and parameters from the drive model's table,
// the session's changes from the user's journal (damaged lines are added to notes).
CommissioningReport BuildReport(const TDriver& driver, const ReportRun& run, QStringList* notes);

// The name of the user running the program.
QString CurrentUserName();

} // namespace kelm
