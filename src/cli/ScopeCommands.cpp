// kelmctl scope: one oscilloscope record to a .kls or .csv file, and the signal lists.
#include "cli/Commands.h"
#include "cli/DriveSession.h"
#include "cli/FileArguments.h"
#include "cli/Output.h"
#include "cli/ScopeChoice.h"
#include "cli/ScopeRecord.h"
#include "cli/StderrMessages.h"
#include "cli/Stopping.h"

#include "core/config/ScopeScales.h"
#include "core/drive/scope/ScopeCapture.h"
#include "core/drive/scope/ScopeRules.h"
#include "core/drive/scope/ScopeSettingsFile.h"
#include "core/files/ScopeCsv.h"
#include "core/files/ScopeFile.h"
#include "core/settings/SettingsStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <vector>

namespace kelm::cli {

namespace {

constexpr int DefaultScopeTimeoutS = 10;
constexpr int ScopePollMs = 50;

// The options that override a stored oscilloscope setting: option word and register.
struct ScopeOption {
    const char* Name;
    const char* ValueName;
    const char* Description;
    std::uint16_t Address;
};
constexpr ScopeOption ScopeOptions[] = {
    {"signal1", "N", "Signal of channel 1, numbered from 1 (--list-signals).", scope::Signal1},
    {"signal2", "N", "Signal of channel 2, numbered from 1 (--list-signals).", scope::Signal2},
    {"scale1", "U", "Units per division of channel 1: one of its signal's scales.", scope::Scale1},
    {"scale2", "U", "Units per division of channel 2: one of its signal's scales.", scope::Scale2},
    {"window", "MS", "Time window in ms: 10, 20, 50, 100, 200, 500, 1000, 2000, 5000 or 10000.",
     scope::TimeWindow},
    {"edge", "E", "Trigger edge: 1 rising, 2 falling, 3 automatic.", scope::Edge},
    {"level", "L", "Trigger level (-32768 to 32767).", scope::Level},
    {"delay", "MS", "Trigger delay in ms, 0 to the time window (default: half a new --window).",
     scope::Delay},
};
constexpr std::size_t ScopeOptionCount = std::size(ScopeOptions);

// The kinds with an oscilloscope, in listing order.
constexpr DeviceKind ScopeKinds[] = {DeviceKind::Std, DeviceKind::Drive, DeviceKind::Orca230};

// The signal list of a kind from the Bin folder beside kelmctl (Std and Orca230 share
// "Osci.dll", the Drive units use "Osci_Tarn.dll"); nullopt after the loader's message.
std::optional<ScopeScaleSet> LoadSignals(DeviceKind kind) {
    const bool tarn = kind == DeviceKind::Drive;
    ScopeScaleSet signalSet;
    if (!LoadScopeScales(
            QCoreApplication::applicationDirPath() +
                (tarn ? QStringLiteral("/Bin/Osci_Tarn.dll") : QStringLiteral("/Bin/Osci.dll")),
            tarn ? QStringLiteral("Osc_Tarn.dll") : QStringLiteral("Osc.dll"), signalSet))
        return std::nullopt;
    return signalSet;
}

// --list-signals: one line "KIND<TAB>NUMBER<TAB>NAME<TAB>UNIT<TAB>SCALES" per signal (the
// scales as the units per division --scale takes, blank-separated).
int ListSignals(const std::optional<DeviceKind>& requested) {
    for (const DeviceKind kind : ScopeKinds) {
        if (requested && *requested != kind)
            continue;
        const auto signalSet = LoadSignals(kind);
        if (!signalSet)
            return 1;
        for (std::size_t i = 0; i < signalSet->size(); ++i) {
            const ScopeSignal& signal = (*signalSet)[i];
            QStringList scales;
            for (const ScopeScale& scale : signal.Scales)
                scales << QString::number(scale.UnitsPerDivision);
            PrintLine(QStringList{QLatin1String(KindWord(kind)),
                                  QString::number(scope::SignalNumber(static_cast<int>(i))),
                                  signal.Name, signal.Unit, scales.join(u' ')}
                          .join(u'\t'));
        }
    }
    return 0;
}

QString TimeBaseText(int windowMs) {
    const int perDivision = windowMs / 10;
    return perDivision >= 1000 && perDivision % 1000 == 0
               ? QStringLiteral("%1 s/div").arg(perDivision / 1000)
               : QStringLiteral("%1 ms/div").arg(perDivision);
}

// The signal's name and the caption of the scale with `units` per division, as the
// oscilloscope window shows them (empty when the configuration has none).
void NameChannel(const ScopeScaleSet& set, int signalNumber, int units, ScopeChannelSettings& out) {
    out.Enabled = true;
    const ScopeSignal* chosen = scope::SignalByNumber(set, signalNumber);
    if (chosen == nullptr)
        return;
    out.Signal = chosen->Name;
    for (const ScopeScale& scale : chosen->Scales)
        if (scale.UnitsPerDivision == units)
            out.Scale = scale.Caption;
}

// The uploaded samples in engineering units, with the settings they were taken with.
ScopeRecording RecordingOf(TDriver& driver, const ScopeCapture& capture, const ScopeScaleSet& set) {
    const auto value = [&driver](std::uint16_t address) -> std::int16_t {
        const ParamEntry* entry = driver.ScopeSettingsTable().FindByAddress(address);
        return entry != nullptr ? entry->DriveValue : 0;
    };
    ScopeRecording recording;
    recording.TriggerSlope = value(scope::Edge);
    recording.TriggerLevel = value(scope::Level);
    recording.TimeBase = TimeBaseText(value(scope::TimeWindow));
    recording.Delay = value(scope::Delay);
    NameChannel(set, value(scope::Signal1), value(scope::Scale1), recording.Channels[0]);
    NameChannel(set, value(scope::Signal2), value(scope::Scale2), recording.Channels[1]);
    recording.LeftIncrement = value(scope::Scale1);
    recording.RightIncrement = value(scope::Scale2);
    const double window = value(scope::TimeWindow);
    recording.BottomIncrement = window / 10;
    const int count = capture.SampleCount();
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        recording.Points.push_back(
            {scope::SampleTime(i, window, capture.ReportedCount()),
             scope::ScaledSample(capture.Samples(0)[at], value(scope::Factor1), 0),
             scope::ScaledSample(capture.Samples(1)[at], value(scope::Factor2), 0)});
    }
    return recording;
}

// Arms the recorder with the table's working values and waits for a full record; false
// after the time limit or a stop signal (the recorder stopped again) or a lost line.
bool WaitForRecord(DriveSession& session, int timeoutS) {
    TDriver& driver = session.Driver();
    const auto value = [&driver](std::uint16_t address) {
        return driver.ScopeSettingsTable().FindByAddress(address)->Value;
    };
    if (!scope::Arm(driver, {value(scope::Level), value(scope::Delay), value(scope::Scale1),
                             value(scope::Scale2)}))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (driver.Online()) {
        scope::ReadScopeState(driver);
        if (scope::DriveState(driver) == scope::StateComplete)
            return true;
        if (StopRequested()) {
            scope::Stop(driver);
            return false;
        }
        if (timeoutS > 0 && clock.elapsed() >= timeoutS * 1000LL) {
            std::fprintf(stderr, "kelmctl: no record from address %u on %s within %d s\n",
                         session.Address(), Local(session.PortText()).constData(), timeoutS);
            scope::Stop(driver);
            return false;
        }
        PauseUnlessStopped(ScopePollMs);
    }
    return false;
}

// The upload of the full record through the worker; false when it was cut off.
bool UploadRecord(TDriver& driver, ScopeCapture& capture) {
    const TransferEnd end = AwaitTransfer(
        driver,
        [&capture](TDriver::Callback onDone) {
            return capture.StartUpload([] {}, std::move(onDone));
        },
        [&driver] { return driver.Mode() == WorkerMode::CaptureUpload; });
    return end.Done && capture.Completed() && driver.Online();
}

// The upload, then the recorder set back to idle as the window leaves it after a capture.
bool UploadAndStop(TDriver& driver, ScopeCapture& capture) {
    const bool uploaded = UploadRecord(driver, capture);
    if (driver.Online())
        scope::Stop(driver);
    driver.WaitIdle();
    return uploaded && driver.Online();
}

// The options as given; false after a complaint.
bool ReadOverrides(CommandLine& line, ScopeOverrides& out) {
    std::array<std::optional<int>, ScopeOptionCount> values;
    for (std::size_t i = 0; i < ScopeOptionCount; ++i) {
        const QString name = QLatin1String(ScopeOptions[i].Name);
        if (!line.IsSet(name))
            continue;
        values[i] = line.Number(name, -32768, 32767, 0);
        if (!values[i])
            return false;
    }
    out.Signal = {values[0], values[1]};
    out.Scale = {values[2], values[3]};
    out.Window = values[4];
    out.Edge = values[5];
    out.Level = values[6];
    out.Delay = values[7];
    return true;
}

// The options checked against the kinds the drive may be, before the port is opened.
int CheckBeforeConnecting(const DriveSession& session, const ScopeOverrides& overrides) {
    std::vector<DeviceKind> kinds;
    if (session.RequestedKind())
        kinds = {*session.RequestedKind()};
    else if (session.LinkMode())
        kinds = {DeviceKind::Drive, DeviceKind::Orca230};
    else
        kinds = {DeviceKind::Std};
    if (kinds == std::vector<DeviceKind>{DeviceKind::Power})
        return CommandLine::Complain(QStringLiteral("the Tarn Power unit has no oscilloscope"));
    int count = 0;
    std::optional<ScopeScaleSet> only;
    for (const DeviceKind kind : kinds) {
        auto signalSet = LoadSignals(kind);
        if (!signalSet)
            return 1;
        count = std::max(count, static_cast<int>(signalSet->size()));
        if (kinds.size() == 1)
            only = std::move(signalSet);
    }
    const QString refusal = ScopeRefusal(overrides, only ? &*only : nullptr, count, nullptr);
    return refusal.isEmpty() ? 0 : CommandLine::Complain(refusal);
}

} // namespace

int RunScope(const QStringList& arguments, const CliOptions&) {
    DriveSession session;
    CommandLine line("scope", "FILE.kls|FILE.csv");
    for (const ScopeOption& option : ScopeOptions)
        line.AddValue(QLatin1String(option.Name), QLatin1String(option.ValueName),
                      QLatin1String(option.Description));
    line.AddFlag(QStringLiteral("list-signals"),
                 QStringLiteral("Print the signals of each kind (or of --kind K) and exit: kind, "
                                "number, name, unit and the --scale values, tab-separated."));
    AddTimeoutOption(line, DefaultScopeTimeoutS);
    AddForceOption(line);
    line.AddFlag(QStringLiteral("metrics"),
                 QStringLiteral("Then print channel 1's figures, the step at the trigger."));
    AddFormatOption(line);
    DriveSession::AddOptions(line);
    if (const auto exit = line.Parse(arguments))
        return *exit;
    if (const int code = session.Open(line))
        return code;
    if (line.IsSet(QStringLiteral("list-signals")))
        return session.Words().isEmpty() ? ListSignals(session.RequestedKind()) : line.Usage();
    if (session.Words().size() != 1)
        return line.Usage();
    const auto timeoutS =
        line.Number(QStringLiteral("timeout"), 0, MaxTimeoutS, DefaultScopeTimeoutS);
    if (!timeoutS)
        return 2;
    ScopeOverrides overrides;
    if (!ReadOverrides(line, overrides))
        return 2;
    const QString path = session.Words().first();
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("kls") && suffix != QLatin1String("csv")) {
        std::fprintf(stderr, "kelmctl: %s: the record is written as .kls or .csv\n",
                     Local(path).constData());
        return 2;
    }
    if (!CheckOutputFile(path, ReadOnlyPolicy(line)))
        return 2;
    if (const int code = CheckBeforeConnecting(session, overrides))
        return code;
    if (const int code = session.ConnectTo("oscilloscope"))
        return code;
    TDriver& driver = session.Driver();
    const auto signalSet = LoadSignals(session.Kind());
    if (!signalSet)
        return 1;
    // The drive's recorder registers first, so only what differs is written.
    ParamTable& table = driver.ScopeSettingsTable();
    for (int i = 0; i < scope::RegisterCount; ++i)
        if (ParamEntry* entry = table.FindByAddress(static_cast<std::uint16_t>(scope::Command + i));
            entry != nullptr && !driver.ReadEntry(*entry, true))
            return 1;
    const ScopeSettingsFile stored =
        ScopeSettingsFile::For(SettingsStore::DefaultSettingsFile(),
                               QCoreApplication::applicationDirPath() + QStringLiteral("/"));
    std::array<int, 2> offsets{};
    stored.Load(session.Kind(), table, offsets);
    const auto value = [&table](std::uint16_t address) -> std::int16_t& {
        return table.FindByAddress(address)->Value;
    };
    const ScopeSettings before{value(scope::Edge),
                               value(scope::TimeWindow),
                               value(scope::Delay),
                               value(scope::Level),
                               {value(scope::Signal1), value(scope::Signal2)},
                               {value(scope::Scale1), value(scope::Scale2)}};
    // The options against what the drive turned out to be, before anything is written.
    if (const QString refusal =
            ScopeRefusal(overrides, &*signalSet, static_cast<int>(signalSet->size()), &before);
        !refusal.isEmpty())
        return CommandLine::Complain(refusal);
    const ScopeSettings chosen = ResolveScope(before, overrides, *signalSet);
    value(scope::Edge) = static_cast<std::int16_t>(chosen.Edge);
    value(scope::TimeWindow) = static_cast<std::int16_t>(chosen.Window);
    value(scope::Delay) = static_cast<std::int16_t>(chosen.Delay);
    value(scope::Level) = static_cast<std::int16_t>(chosen.Level);
    value(scope::Signal1) = static_cast<std::int16_t>(chosen.Signal[0]);
    value(scope::Signal2) = static_cast<std::int16_t>(chosen.Signal[1]);
    value(scope::Scale1) = static_cast<std::int16_t>(chosen.Scale[0]);
    value(scope::Scale2) = static_cast<std::int16_t>(chosen.Scale[1]);

    if (!WaitForRecord(session, *timeoutS))
        return 1;
    ScopeCapture capture(driver);
    capture.Install();
    if (!UploadAndStop(driver, capture))
        return 1;
    const ScopeRecording recording = RecordingOf(driver, capture, *signalSet);
    const ReadOnlyFiles readOnly = ReadOnlyPolicy(line);
    const bool written = suffix == QLatin1String("csv")
                             ? WriteScopeCsv(recording, path, readOnly)
                             : WriteScopeFile(recording, path, FileStamp::Now(), readOnly);
    if (written && line.IsSet(QStringLiteral("metrics")))
        PrintRecordFigures(ReadFormat(line).value_or(OutputFormat::Text),
                           scope::MeasureChannel1(recording, scope::StepAt::Trigger));
    return written ? 0 : 1;
}

} // namespace kelm::cli

namespace kelm::cli {

std::optional<ScopeScaleSet> LoadScopeSignals(DeviceKind kind) {
    return LoadSignals(kind);
}

bool UploadScopeRecord(TDriver& driver, ScopeCapture& capture) {
    return UploadAndStop(driver, capture);
}

ScopeRecording ScopeRecordOf(TDriver& driver, const ScopeCapture& capture,
                             const ScopeScaleSet& signalSet) {
    return RecordingOf(driver, capture, signalSet);
}

} // namespace kelm::cli
