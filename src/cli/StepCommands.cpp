// kelmctl step: a speed step of the digital speed reference, recorded, saved and measured.
#include "cli/Commands.h"
#include "cli/DriveSession.h"
#include "cli/FileArguments.h"
#include "cli/Output.h"
#include "cli/ScopeRecord.h"
#include "cli/StderrMessages.h"
#include "cli/Stopping.h"

#include "core/drive/procedures/OwedDisable.h"
#include "core/drive/scope/ScopeCapture.h"
#include "core/drive/scope/StepSource.h"
#include "core/drive/status/StatusView.h"
#include "core/files/ScopeCsv.h"
#include "core/files/ScopeFile.h"
#include "core/rules/MainDevRules.h"
#include "core/seams/Messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cmath>
#include <cstdio>

namespace kelm::cli {

namespace {

constexpr int DefaultStepRpm = 500;
constexpr int DefaultStepMs = 500;
constexpr int DefaultStepTimeoutS = 10;
// How long a step cut off by a lost line waits for the drive, to set the reference to 0.
constexpr int LineReturnS = 10;

StepRegisters StepRegistersOf(DeviceKind kind) {
    const MainDevAddresses main = MainDevAddressTable(kind);
    return {main.Mode, main.DigitalSpeed, main.MaxSpeed, StatusRegistersOf(kind).DriveState};
}

QJsonValue Figure(const std::optional<double>& value) {
    if (!value || !std::isfinite(*value))
        return QJsonValue();
    return std::round(*value * 1000.0) / 1000.0;
}

// Runs the step's timer and pauses briefly; false once a stop signal came.
bool Tick() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    PauseUnlessStopped(5);
    return !StopRequested();
}

// Waits for the recorder to hold a full record; false after the limit, a stop signal or a
// lost line.
bool AwaitRecord(DriveSession& session, int timeoutS) {
    TDriver& driver = session.Driver();
    QElapsedTimer clock;
    clock.start();
    while (driver.Online() && Tick()) {
        scope::ReadScopeState(driver);
        if (scope::DriveState(driver) == scope::StateComplete)
            return true;
        if (timeoutS > 0 && clock.elapsed() >= timeoutS * 1000LL) {
            std::fprintf(stderr, "kelmctl: no record from address %u on %s within %d s\n",
                         session.Address(), Local(session.PortText()).constData(), timeoutS);
            return false;
        }
    }
    return false;
}

// The step cut off: the reference back to 0 at once, or, after a lost line, as soon as the
// drive answers again; the recorder stopped where the line allows.
void EndEarly(DriveSession& session, StepSource& source) {
    TDriver& driver = session.Driver();
    source.Stop();
    if (driver.Online()) {
        scope::Stop(driver);
        driver.WaitIdle();
        return;
    }
    if (!ProcessOwedDisables().Owed(driver.CurrentUnit()))
        return;
    std::fprintf(stderr,
                 "kelmctl: waiting up to %d s for address %u on %s to answer again "
                 "(Ctrl-C stops waiting)\n",
                 LineReturnS, session.Address(), Local(session.PortText()).constData());
    if (session.AwaitLine(LineReturnS * 1000) && SettleOwedDisable(driver))
        std::fprintf(stderr, "kelmctl: the drive answered again: the speed reference is 0\n");
    driver.WaitIdle();
}

} // namespace

void PrintRecordFigures(OutputFormat format, const scope::RecordFigures& figures) {
    const auto& stats = figures.Statistics;
    const auto& step = figures.Step;
    const auto stat = [&stats](double TraceStatistics::*field) {
        return stats ? std::optional<double>((*stats).*field) : std::nullopt;
    };
    Record record;
    record
        .Add(QStringLiteral("overshoot_percent"),
             Figure(step ? std::optional<double>(step->OvershootPercent) : std::nullopt))
        .Add(QStringLiteral("rise_time_ms"), Figure(step ? step->RiseTimeMs : std::nullopt))
        .Add(QStringLiteral("settling_time_ms"), Figure(step ? step->SettlingTimeMs : std::nullopt))
        .Add(QStringLiteral("steady_state_error"),
             Figure(step ? step->SteadyStateError : std::nullopt))
        .Add(QStringLiteral("peak"),
             Figure(step ? std::optional<double>(step->Peak) : std::nullopt))
        .Add(QStringLiteral("min"), Figure(stat(&TraceStatistics::Minimum)))
        .Add(QStringLiteral("max"), Figure(stat(&TraceStatistics::Maximum)))
        .Add(QStringLiteral("mean"), Figure(stat(&TraceStatistics::Mean)))
        .Add(QStringLiteral("rms"), Figure(stat(&TraceStatistics::Rms)));
    if (format != OutputFormat::Text) {
        PrintRecord(format, record);
        return;
    }
    // A person reads one figure a line, "-" where there is none.
    const QStringList names{"overshoot %",
                            "rise time ms",
                            "settling time ms",
                            "steady-state error",
                            "peak",
                            "min",
                            "max",
                            "mean",
                            "rms"};
    const QStringList values = record.Tsv().split(u'\t');
    for (qsizetype i = 0; i < names.size() && i < values.size(); ++i)
        PrintLine(names[i] + QLatin1Char('\t') +
                  (values[i].isEmpty() ? QStringLiteral("-") : values[i]));
}

int RunStep(const QStringList& arguments, const CliOptions&) {
    DriveSession session;
    CommandLine line("step", "FILE.kls|FILE.csv");
    line.AddValue(QStringLiteral("speed"), QStringLiteral("RPM"),
                  QStringLiteral("Height of the step in rpm, negative for a step down "
                                 "(default 500)."));
    line.AddValue(QStringLiteral("duration"), QStringLiteral("MS"),
                  QStringLiteral("How long the step lasts, 10 to 10000 ms (default 500)."));
    AddTimeoutOption(line, DefaultStepTimeoutS);
    AddForceOption(line);
    AddFormatOption(line);
    DriveSession::AddOptions(line);
    if (const auto exit = line.Parse(arguments))
        return *exit;
    if (const int code = session.Open(line))
        return code;
    if (session.Words().size() != 1)
        return line.Usage();
    const auto rpm = line.Number(QStringLiteral("speed"), -32767, 32767, DefaultStepRpm);
    const auto duration =
        line.Number(QStringLiteral("duration"), scope::MinStepMs, scope::MaxStepMs, DefaultStepMs);
    const auto timeoutS =
        line.Number(QStringLiteral("timeout"), 0, MaxTimeoutS, DefaultStepTimeoutS);
    if (!rpm || !duration || !timeoutS)
        return 2;
    if (*rpm == 0)
        return CommandLine::Complain(QStringLiteral("--speed 0 makes no step"));
    const QString path = session.Words().first();
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("kls") && suffix != QLatin1String("csv")) {
        std::fprintf(stderr, "kelmctl: %s: the record is written as .kls or .csv\n",
                     Local(path).constData());
        return 2;
    }
    const ReadOnlyFiles readOnly = ReadOnlyPolicy(line);
    if (!CheckOutputFile(path, readOnly))
        return 2;
    if (const int code = session.ConnectTo("oscilloscope"))
        return code;
    TDriver& driver = session.Driver();
    const auto signalSet = LoadScopeSignals(session.Kind());
    if (!signalSet)
        return 1;
    QString refusal;
    const auto plan = scope::PlanStep(*signalSet, *rpm, *duration, refusal);
    const StepRequest request{*rpm, *duration};
    StepSource source(driver, StepRegistersOf(session.Kind()));
    if (plan)
        refusal = source.Refusal(request);
    if (!refusal.isEmpty()) {
        ShowError(StepSource::RefusalText(refusal));
        return 1;
    }
    if (!source.Confirm(request))
        return 1;
    // The drive's recorder registers first, so only what differs is written.
    ParamTable& table = driver.ScopeSettingsTable();
    for (ParamEntry& entry : table)
        if (!driver.ReadEntry(entry, true))
            return 1;
    const bool started = source.Start(
        request, [&] { return scope::Arm(driver, scope::ApplyStepCapture(table, *plan)); });
    driver.WaitIdle(); // no status polling in a command-line run
    if (!started || !AwaitRecord(session, *timeoutS)) {
        EndEarly(session, source);
        return 1;
    }
    // The record ends before the step does: its end brings the reference back to 0.
    while (source.Active() && driver.Online() && Tick()) {
    }
    if (source.Active()) {
        EndEarly(session, source);
        return 1;
    }
    ScopeCapture capture(driver);
    capture.Install();
    if (!UploadScopeRecord(driver, capture))
        return 1;
    const ScopeRecording recording = ScopeRecordOf(driver, capture, *signalSet);
    const bool written = suffix == QLatin1String("csv")
                             ? WriteScopeCsv(recording, path, readOnly)
                             : WriteScopeFile(recording, path, FileStamp::Now(), readOnly);
    if (!written)
        return 1;
    PrintRecordFigures(ReadFormat(line).value_or(OutputFormat::Text),
                       scope::MeasureChannel1(recording, scope::StepAt::Channel2Reference));
    return 0;
}

} // namespace kelm::cli
