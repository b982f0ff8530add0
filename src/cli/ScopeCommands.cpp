// kelmctl scope: one oscilloscope record to a .kls or .csv file.
#include "cli/Commands.h"
#include "cli/DriveSession.h"
#include "cli/FileArguments.h"
#include "cli/Stopping.h"

#include "core/config/ScopeScales.h"
#include "core/drive/scope/ScopeCapture.h"
#include "core/drive/scope/ScopeSettingsFile.h"
#include "core/files/ScopeCsv.h"
#include "core/files/ScopeFile.h"
#include "core/settings/SettingsStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <array>
#include <cstdio>
#include <optional>

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
    {"signal1", "N", "Signal of channel 1 (index in the signal list).", scope::Signal1},
    {"signal2", "N", "Signal of channel 2 (index in the signal list).", scope::Signal2},
    {"scale1", "U", "Units per division of channel 1.", scope::Scale1},
    {"scale2", "U", "Units per division of channel 2.", scope::Scale2},
    {"window", "MS", "Time window in ms.", scope::TimeWindow},
    {"edge", "E", "Trigger edge.", scope::Edge},
    {"level", "L", "Trigger level.", scope::Level},
    {"delay", "MS", "Trigger delay in ms.", scope::Delay},
};

QString TimeBaseText(int windowMs) {
    const int perDivision = windowMs / 10;
    return perDivision >= 1000 && perDivision % 1000 == 0
               ? QStringLiteral("%1 s/div").arg(perDivision / 1000)
               : QStringLiteral("%1 ms/div").arg(perDivision);
}

// The signal's name and the caption of the scale with `units` per division, as the
// oscilloscope window shows them (empty when the configuration has none).
void NameChannel(const ScopeScaleSet& set, int signal, int units, ScopeChannelSettings& out) {
    out.Enabled = true;
    if (signal < 0 || signal >= static_cast<int>(set.size()))
        return;
    const ScopeSignal& chosen = set[static_cast<std::size_t>(signal)];
    out.Signal = chosen.Name;
    for (const ScopeScale& scale : chosen.Scales)
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
            {window * i / count,
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
    bool done = false;
    if (!capture.StartUpload([] {}, [&done] { done = true; }))
        return false;
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done || driver.ModeLetter() != 'T' || StopRequested())
            loop.quit();
    });
    check.start(20);
    loop.exec();
    driver.WaitIdle();
    return done && capture.Completed() && driver.Online();
}

} // namespace

int RunScope(const QStringList& arguments, const CliOptions&) {
    DriveSession session;
    CommandLine line("scope", "FILE.kls|FILE.csv");
    for (const ScopeOption& option : ScopeOptions)
        line.AddValue(QLatin1String(option.Name), QLatin1String(option.ValueName),
                      QLatin1String(option.Description));
    AddTimeoutOption(line, DefaultScopeTimeoutS);
    AddForceOption(line);
    if (const auto exit = Prepare(session, line, arguments, 1))
        return *exit;
    const auto timeoutS =
        line.Number(QStringLiteral("timeout"), 0, MaxTimeoutS, DefaultScopeTimeoutS);
    if (!timeoutS)
        return 2;
    std::array<std::optional<std::int16_t>, std::size(ScopeOptions)> overrides;
    for (std::size_t i = 0; i < std::size(ScopeOptions); ++i) {
        const QString name = QLatin1String(ScopeOptions[i].Name);
        if (!line.IsSet(name))
            continue;
        const auto value = line.Number(name, -32768, 32767, 0);
        if (!value)
            return 2;
        overrides[i] = static_cast<std::int16_t>(*value);
    }
    const QString path = session.Words().first();
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("kls") && suffix != QLatin1String("csv")) {
        std::fprintf(stderr, "kelmctl: %s: the record is written as .kls or .csv\n",
                     Local(path).constData());
        return 2;
    }
    if (!CheckOutputFile(path, ReadOnlyPolicy(line)))
        return 2;
    if (const int code = session.ConnectTo("oscilloscope"))
        return code;
    TDriver& driver = session.Driver();
    // The drive's recorder registers first, so only what differs is written.
    ParamTable& table = driver.ScopeSettingsTable();
    for (int i = 0; i < scope::RegisterCount; ++i)
        if (ParamEntry* entry = table.FindByAddress(static_cast<std::uint16_t>(scope::Command + i));
            entry != nullptr && !driver.ReadEntry(*entry, true))
            return 1;
    const QString install = QCoreApplication::applicationDirPath() + QStringLiteral("/");
    const ScopeSettingsFile stored(QFileInfo(SettingsStore::DefaultSettingsFile()).absolutePath() +
                                       QStringLiteral("/ZavaRive.dll"),
                                   install + QStringLiteral("Bin/ZavaRive.dll"));
    std::array<int, 2> offsets{};
    stored.Load(session.Kind(), table, offsets);
    for (std::size_t i = 0; i < std::size(ScopeOptions); ++i)
        if (overrides[i])
            table.FindByAddress(ScopeOptions[i].Address)->Value = *overrides[i];

    if (!WaitForRecord(session, *timeoutS))
        return 1;
    ScopeCapture capture(driver);
    capture.Install();
    if (!UploadRecord(driver, capture))
        return 1;
    // The signal and scale names of the kind (the program loads them with its main window).
    ScopeScaleSet names;
    const bool tarn = session.Kind() == DeviceKind::Drive;
    LoadScopeScales(
        install + (tarn ? QStringLiteral("Bin/Osci_Tarn.dll") : QStringLiteral("Bin/Osci.dll")),
        tarn ? QStringLiteral("Osc_Tarn.dll") : QStringLiteral("Osc.dll"), names);
    const ScopeRecording recording = RecordingOf(driver, capture, names);
    const ReadOnlyFiles readOnly = ReadOnlyPolicy(line);
    const bool written = suffix == QLatin1String("csv")
                             ? WriteScopeCsv(recording, path, readOnly)
                             : WriteScopeFile(recording, path, FileStamp::Now(), readOnly);
    return written ? 0 : 1;
}

} // namespace kelm::cli
