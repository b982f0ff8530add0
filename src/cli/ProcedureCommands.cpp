// kelmctl phase and offset: the commissioning procedures, as the Tuning menu runs them.
#include "cli/Commands.h"
#include "cli/DriveSession.h"

#include "core/drive/procedures/Procedures.h"
#include "core/drive/procedures/TuningWait.h"
#include "core/seams/Messages.h"

#include <QThread>
#include <cstdio>
#include <unistd.h>

namespace kelm::cli {
namespace {

constexpr int DefaultProcedureTimeoutS = 120;

// A commissioning procedure after its question (--yes): dots on a terminal while the
// drive works, the result text on stderr as the program shows it. A drive that has not
// finished after the time limit counts as failed (as Cancel in the program).
int RunTuning(DriveSession& session, char letter, int timeoutS) {
    if (!AskConfirm(ProcedureQuestion(letter)))
        return 1;
    if (const int code = session.ConnectTo("commissioning procedures"))
        return code;
    TDriver& driver = session.Driver();
    const bool dots = isatty(STDERR_FILENO) != 0;
    bool dotted = false;
    PacedWaiter waiter([](std::uint32_t ms) { QThread::msleep(ms); },
                       [&] {
                           if (dots) {
                               std::fprintf(stderr, ".");
                               dotted = true;
                           }
                       },
                       static_cast<std::uint32_t>(timeoutS) * 1000U);
    const bool ok = RunProcedure(driver, letter, waiter);
    driver.WaitIdle(); // no status polling in a command-line run
    if (dotted)
        std::fprintf(stderr, "\n");
    if (waiter.TimedOut())
        std::fprintf(stderr, "kelmctl: the drive did not finish within %d s\n", timeoutS);
    ReportProcedureResult(driver, letter, ok);
    return ok ? 0 : 1;
}

// phase and offset: --timeout, the connection options, then the command's own words,
// which letterOf turns into the procedure letter (0: usage).
int RunTuningCommand(const QStringList& arguments, const char* name, const char* usage,
                     char (*letterOf)(const QStringList&)) {
    DriveSession session;
    CommandLine line(name, usage);
    AddTimeoutOption(line, DefaultProcedureTimeoutS);
    DriveSession::AddOptions(line);
    if (const auto exit = line.Parse(arguments))
        return *exit;
    const auto timeoutS =
        line.Number(QStringLiteral("timeout"), 0, MaxTimeoutS, DefaultProcedureTimeoutS);
    if (!timeoutS)
        return 2;
    if (const int code = session.Open(line))
        return code;
    const char letter = letterOf(session.Words());
    if (letter == '\0')
        return line.Usage();
    return RunTuning(session, letter, *timeoutS);
}

} // namespace

int RunPhase(const QStringList& arguments, const CliOptions&) {
    return RunTuningCommand(arguments, "phase", "",
                            [](const QStringList& words) { return words.isEmpty() ? 'P' : '\0'; });
}

int RunOffset(const QStringList& arguments, const CliOptions&) {
    return RunTuningCommand(arguments, "offset", "1|2", [](const QStringList& words) {
        if (words.size() != 1)
            return '\0';
        return words[0] == QLatin1String("1") ? 'S' : words[0] == QLatin1String("2") ? 'T' : '\0';
    });
}

} // namespace kelm::cli
