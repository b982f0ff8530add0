// kelmctl phase and offset: the commissioning procedures, as the Tuning menu runs them.
#include "cli/Commands.h"
#include "cli/DriveSession.h"
#include "cli/Output.h"
#include "cli/StderrMessages.h"
#include "cli/Stopping.h"

#include "core/drive/procedures/Procedures.h"
#include "core/drive/procedures/TuningWait.h"
#include "core/seams/Messages.h"

#include <cstdio>
#include <optional>
#include <unistd.h>

namespace kelm::cli {
namespace {

constexpr int DefaultProcedureTimeoutS = 120;
// How long a procedure cut off by a lost line waits for the drive to answer again, so that
// its disable request can still be written.
constexpr int LineReturnS = 10;

// The result of a procedure that succeeded, on stdout: the program's result text, or a
// record {procedure, value} (phase) / {procedure, input, millivolts, value} (offset). A
// failure is a message.
void PrintProcedureResult(TDriver& driver, TuningProcedure procedure, bool ok,
                          OutputFormat format) {
    const ParamEntry* entry = driver.ActiveTable().FindByAddress(
        ProcedureResultRegister(procedure, driver.CurrentKind()));
    const std::int16_t value = entry != nullptr ? entry->Value : 0;
    if (!ok) {
        PrintMessage(ProcedureResultText(procedure, false, value));
        return;
    }
    if (format == OutputFormat::Text) {
        PrintLine(StderrMessages::PrintedText(ProcedureResultText(procedure, true, value))
                      .replace(QStringLiteral(" / "), QStringLiteral("\n")));
        return;
    }
    Record record;
    if (procedure == TuningProcedure::MotorPhasing) {
        record.Add(QStringLiteral("procedure"), QStringLiteral("phase"));
    } else {
        record.Add(QStringLiteral("procedure"), QStringLiteral("offset"))
            .Add(QStringLiteral("input"), procedure == TuningProcedure::SpeedOffset ? 1 : 2)
            .Add(QStringLiteral("millivolts"),
                 FormatMillivolts(value).section(u' ', 0, 0).toDouble());
    }
    PrintRecord(format, record.Add(QStringLiteral("value"), value));
}

// A commissioning procedure after its question (--yes): dots on a terminal while the
// drive works, the result on stdout (a failure on stderr). A drive that has not
// finished after the time limit counts as failed (as Cancel in the program), and so does
// a stop signal. A procedure cut off by a lost line waits a while for the line to come
// back and then, before anything else, writes what it still owes the drive.
int RunTuning(DriveSession& session, TuningProcedure procedure, int timeoutS, OutputFormat format) {
    if (!AskConfirm(ProcedureQuestion(procedure)))
        return 1;
    if (const int code = session.ConnectTo("commissioning procedures"))
        return code;
    TDriver& driver = session.Driver();
    const WriteOrigin origin = driver.Ask(ProcedureAction(procedure));
    const bool dots = isatty(STDERR_FILENO) != 0;
    bool dotted = false;
    PacedWaiter waiter(
        PauseUnlessStopped,
        [&] {
            if (dots) {
                std::fprintf(stderr, ".");
                dotted = true;
            }
        },
        static_cast<std::uint32_t>(timeoutS) * 1000U, StopRequested);
    const bool ok = RunProcedure(driver, procedure, waiter, origin);
    driver.WaitIdle(); // no status polling in a command-line run
    if (dotted)
        std::fprintf(stderr, "\n");
    if (waiter.TimedOut())
        std::fprintf(stderr, "kelmctl: the drive did not finish within %d s\n", timeoutS);
    PrintProcedureResult(driver, procedure, ok, format);
    if (!driver.Online() && ProcessOwedDisables().Owed(driver.CurrentUnit())) {
        std::fprintf(stderr,
                     "kelmctl: waiting up to %d s for address %u on %s to answer again "
                     "(Ctrl-C stops waiting)\n",
                     LineReturnS, session.Address(), Local(session.PortText()).constData());
        if (session.AwaitLine(LineReturnS * 1000) && SettleOwedDisable(driver))
            std::fprintf(stderr, "kelmctl: the drive answered again: %s\n",
                         procedure == TuningProcedure::MotorPhasing
                             ? "the disable request has been written"
                             : "the offset request has been withdrawn");
        driver.WaitIdle();
    }
    return ok ? 0 : 1;
}

// phase and offset: --timeout, the connection options, then the command's own words,
// which procedureOf turns into the procedure (none: usage).
int RunTuningCommand(const QStringList& arguments, const char* name, const char* usage,
                     std::optional<TuningProcedure> (*procedureOf)(const QStringList&)) {
    DriveSession session;
    CommandLine line(name, usage);
    AddTimeoutOption(line, DefaultProcedureTimeoutS);
    AddFormatOption(line);
    DriveSession::AddOptions(line);
    if (const auto exit = line.Parse(arguments))
        return *exit;
    const auto timeoutS =
        line.Number(QStringLiteral("timeout"), 0, MaxTimeoutS, DefaultProcedureTimeoutS);
    if (!timeoutS)
        return 2;
    if (const int code = session.Open(line))
        return code;
    const std::optional<TuningProcedure> procedure = procedureOf(session.Words());
    if (!procedure)
        return line.Usage();
    return RunTuning(session, *procedure, *timeoutS, ReadFormat(line).value_or(OutputFormat::Text));
}

} // namespace

int RunPhase(const QStringList& arguments, const CliOptions&) {
    return RunTuningCommand(arguments, "phase", "",
                            [](const QStringList& words) -> std::optional<TuningProcedure> {
                                if (!words.isEmpty())
                                    return std::nullopt;
                                return TuningProcedure::MotorPhasing;
                            });
}

int RunOffset(const QStringList& arguments, const CliOptions&) {
    return RunTuningCommand(arguments, "offset", "1|2",
                            [](const QStringList& words) -> std::optional<TuningProcedure> {
                                if (words == QStringList{QStringLiteral("1")})
                                    return TuningProcedure::SpeedOffset;
                                if (words == QStringList{QStringLiteral("2")})
                                    return TuningProcedure::TorqueOffset;
                                return std::nullopt;
                            });
}

} // namespace kelm::cli
