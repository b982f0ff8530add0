// kelmctl machine backup|compare|restore DIR: every unit of a Tarn link at once, through
// the same one-unit steps as backup, compare and restore (core/machine's runner).
#include "cli/Commands.h"
#include "cli/DriveSession.h"
#include "cli/Output.h"
#include "cli/StderrMessages.h"
#include "cli/Stopping.h"

#include "core/common/KindDescriptor.h"
#include "core/machine/AtomicFolder.h"
#include "core/machine/MachineRunner.h"
#include "core/seams/Messages.h"

#include <QCoreApplication>
#include <cstdio>

namespace kelm::cli {
namespace {

QString UnitTitle(std::uint8_t address, DeviceKind kind) {
    return QStringLiteral("unit %1 (%2)").arg(address).arg(QLatin1String(Describe(kind).Text));
}

void PrintReports(const std::vector<UnitReport>& units) {
    for (const UnitReport& unit : units)
        PrintLine(UnitTitle(unit.Address, unit.Kind) + QStringLiteral(": ") + unit.Text);
}

void PrintAll(const QString& title, const QStringList& lines) {
    if (!lines.isEmpty())
        PrintMessage(title);
    for (const QString& line : lines)
        PrintMessage(QStringLiteral("  ") + line);
}

// kelmctl waits for each transfer; a stop signal ends the run.
MachineFrontEnd FrontEnd(DriveSession& session) {
    MachineFrontEnd frontEnd;
    frontEnd.Transfer = [&session](bool write, TransferTarget target) {
        const bool profiles = target == TransferTarget::Profiles;
        const QString label =
            write ? (profiles ? QStringLiteral("Writing Profiles Data to device Nr. ")
                              : QStringLiteral("Writing to device Nr. "))
                  : (profiles ? QStringLiteral("Reading Profiles Data from device Nr. ")
                              : QStringLiteral("Reading from device Nr. "));
        TransferOutcome outcome;
        outcome.Done = session.Transfer(write, target, label, &outcome.Steps);
        outcome.Cancelled = StopRequested();
        return outcome;
    };
    return frontEnd;
}

MachinePort PortOf(DriveSession& session) {
    const LineSettings line = session.Driver().Master().CurrentSettings();
    return MachinePort::OfLink(session.PortText(), line.BaudRate, line.ParityCode);
}

int Backup(DriveSession& session, const QString& dir) {
    AtomicFolder folder(dir);
    QString error;
    if (!folder.Begin(&error))
        return CommandLine::Complain(QStringLiteral("cannot write %1: %2").arg(dir, error));
    if (const int code = session.OpenDriver())
        return code;
    MachineRunner runner(session.Driver(), FrontEnd(session));
    const BackupResult result =
        runner.Backup(folder.WorkPath(), PortOf(session), QStringLiteral(KELM_VERSION));
    if (!result.LinkAnswered) {
        ReportNoAnswer(session.Driver().Master().UnitAddress(), session.PortText());
        return 1;
    }
    PrintReports(result.Units);
    if (result.Cancelled || !result.FilesWritten) {
        PrintMessage(QStringLiteral("%1 left as it was").arg(dir));
        return 1;
    }
    if (!SaveManifest(result.Manifest, folder.WorkPath(), &error) || !folder.Commit(&error)) {
        PrintMessage(QStringLiteral("cannot write %1: %2").arg(dir, error));
        return 1;
    }
    if (const int missing = result.MissingUnits()) {
        PrintMessage(QStringLiteral("%1 of %2 units did not answer; they are listed as missing "
                                    "in %3")
                         .arg(missing)
                         .arg(result.Manifest.Units.size())
                         .arg(folder.Target()));
        return 1;
    }
    return 0;
}

// Per unit a heading with the count, then the differing parameters: marker, name,
// address, drive value, file value, tab-separated.
int Compare(DriveSession& session, const QString& dir, const MachineManifest& manifest) {
    UseCompareExitCodes();
    if (const int code = session.OpenDriver())
        return code;
    MachineRunner runner(session.Driver(), FrontEnd(session));
    const CompareResult result = runner.Compare(dir, manifest);
    for (const UnitComparison& unit : result.Units) {
        PrintLine(QStringLiteral("%1: %2 of %3 compared parameters differ")
                      .arg(UnitTitle(unit.Unit.Address, unit.Unit.Kind))
                      .arg(unit.Different())
                      .arg(unit.Rows.Rows().size()));
        for (const ComparisonRow& row : unit.Rows.Rows()) {
            if (row.State() != RowState::Different)
                continue;
            const auto side = [](const ComparisonSide& s) {
                return s.Valid ? QString::number(s.Value) : QString();
            };
            PrintLine(QStringLiteral("*\t%1\t%2\t%3\t%4")
                          .arg(row.Name)
                          .arg(row.Address)
                          .arg(side(row.Left), side(row.Right)));
        }
    }
    if (result.Cancelled || !result.Trouble.isEmpty()) {
        for (const QString& line : result.Trouble)
            PrintMessage(line);
        return 2;
    }
    return result.AnyDifferent() ? 1 : 0;
}

int Restore(DriveSession& session, const QString& dir, const MachineManifest& manifest,
            bool force) {
    if (const int code = session.OpenDriver())
        return code;
    MachineFrontEnd frontEnd = FrontEnd(session);
    frontEnd.ConfirmRestore = [&](const RestoreVerdict& verdict) {
        PrintAll(QStringLiteral("written with --force:"), verdict.Forcible);
        return AskConfirm(
            QStringLiteral("Restore the %1 units of %2 ?").arg(manifest.Units.size()).arg(dir));
    };
    MachineRunner runner(session.Driver(), frontEnd);
    const RestoreResult result =
        runner.Restore(dir, manifest, force, QStringLiteral("kelmctl machine restore %1").arg(dir));
    for (const QString& line : result.Trouble)
        PrintMessage(line);
    if (!result.Started) {
        PrintAll(QStringLiteral("refused:"), result.Verdict.Refusals);
        if (!force && result.Verdict.Refusals.isEmpty())
            PrintAll(QStringLiteral("refused without --force:"), result.Verdict.Forcible);
        PrintMessage(QStringLiteral("nothing written"));
        return 1;
    }
    PrintReports(result.Units);
    return result.AllRestored() ? 0 : 1;
}

} // namespace

int RunMachine(const QStringList& arguments, const CliOptions&) {
    DriveSession session;
    CommandLine line("machine", "backup|compare|restore DIR");
    line.AddFlag(QStringLiteral("force"),
                 QStringLiteral("restore: also onto a replaced unit of the same kind, and values "
                                "outside their limits."));
    if (const auto exit = Prepare(session, line, arguments, 2))
        return *exit;
    const QString action = session.Words().at(0);
    const QString dir = session.Words().at(1);
    if (!session.LinkMode())
        return CommandLine::Complain(QStringLiteral("machine works on a link port: give --link"));
    if (session.RequestedKind())
        return CommandLine::Complain(
            QStringLiteral("machine takes no --kind: every unit has its own"));
    if (action == QLatin1String("backup"))
        return Backup(session, dir);
    if (action != QLatin1String("compare") && action != QLatin1String("restore"))
        return line.Usage();
    // The backup is read before the port is opened: nothing is sent for an unusable folder.
    QString error;
    const auto manifest = LoadManifest(dir, &error);
    if (!manifest)
        return CommandLine::Complain(error);
    if (action == QLatin1String("compare"))
        return Compare(session, dir, *manifest);
    return Restore(session, dir, *manifest, line.IsSet(QStringLiteral("force")));
}

} // namespace kelm::cli
