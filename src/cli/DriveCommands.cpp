// kelmctl drive commands: whole-table backup and restore, EEPROM commands, reset, alarms,
// comparison and profiles, all through the drive model (TDriver) as the program does them.
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/ConnectionOptions.h"

#include "core/config/ConfigurationSet.h"
#include "core/config/ScopeScales.h"
#include "core/drive/CliDriverHost.h"
#include "core/drive/DriveOwnedRegisters.h"
#include "core/drive/LinkIdentification.h"
#include "core/drive/TDriver.h"
#include "core/drive/procedures/Procedures.h"
#include "core/drive/procedures/TuningWait.h"
#include "core/drive/scope/ScopeCapture.h"
#include "core/drive/scope/ScopeSettingsFile.h"
#include "core/files/Comparison.h"
#include "core/files/DeviceFile.h"
#include "core/files/ProfilesFile.h"
#include "core/files/ScopeCsv.h"
#include "core/files/ScopeFile.h"
#include "core/params/LimitCheck.h"
#include "core/seams/Messages.h"
#include "core/settings/SettingsStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <optional>
#include <unistd.h>

namespace kelm::cli {
namespace {

std::optional<DeviceKind> ParseKind(const QString& word) {
    const QString w = word.toLower();
    if (w == QLatin1String("std"))
        return DeviceKind::Std;
    if (w == QLatin1String("power"))
        return DeviceKind::Power;
    if (w == QLatin1String("drive"))
        return DeviceKind::Drive;
    if (w == QLatin1String("orca230"))
        return DeviceKind::Orca230;
    return std::nullopt;
}

QByteArray Local(const QString& text) {
    return text.toLocal8Bit();
}

// The progress line of a transfer on stderr, only when stderr is a terminal.
class ProgressLine {
public:
    ProgressLine(QString label, int total)
        : label_(std::move(label)), total_(total), shown_(isatty(STDERR_FILENO) != 0) {}
    void Step() {
        ++count_;
        if (shown_ && (count_ % 16 == 0 || count_ == total_))
            std::fprintf(stderr, "\r%s: %d/%d", Local(label_).constData(), count_, total_);
    }
    void End() {
        if (shown_ && count_ > 0)
            std::fprintf(stderr, "\n");
    }

private:
    QString label_;
    int total_;
    int count_ = 0;
    bool shown_;
};

// The --kind word of a kind and what the drive is, for the line refusing a --kind.
const char* KindWord(DeviceKind kind) {
    switch (kind) {
    case DeviceKind::Power:
        return "power";
    case DeviceKind::Drive:
        return "drive";
    case DeviceKind::Orca230:
        return "orca230";
    case DeviceKind::Std:
        break;
    }
    return "std";
}

QString KindDescription(DeviceKind kind) {
    switch (kind) {
    case DeviceKind::Power:
        return QStringLiteral("the Tarn Power unit");
    case DeviceKind::Drive:
        return QStringLiteral("a Tarn Drive unit");
    case DeviceKind::Orca230:
        return QStringLiteral("a Tarn Orca 230");
    case DeviceKind::Std:
        break;
    }
    return QStringLiteral("a plain drive");
}

// A connected drive model: the master on the chosen line, a windowless host, the driver
// with the configuration of the Bin folder beside kelmctl, and the kind the drive is.
class DriveSession {
public:
    DriveSession() = default;
    DriveSession(const DriveSession&) = delete;
    DriveSession& operator=(const DriveSession&) = delete;
    // A drive lost during the command: name the address and the port tried.
    ~DriveSession() {
        if (driver_ && wasOnline_ && !driver_->Online())
            ReportNoAnswer(master_->DeviceAddress, portText_);
    }

    // The option every drive command takes beside the connection options.
    static void AddOptions(CommandLine& line) {
        line.AddValue(QStringLiteral("kind"), QStringLiteral("K"),
                      QStringLiteral("std, power, drive or orca230 (default: what the drive is)."));
    }

    // Takes --kind, the connection options and the positional words of a parsed command
    // line. Returns 0 when they are well formed, else the exit code.
    int Open(const CommandLine& line) {
        if (line.IsSet(QStringLiteral("kind"))) {
            const QString word = line.Value(QStringLiteral("kind"));
            const auto parsed = ParseKind(word);
            if (!parsed)
                return CommandLine::Complain(
                    QStringLiteral("bad kind: %1 (std, power, drive or orca230)").arg(word));
            requested_ = *parsed;
        }
        words_ = line.Positional();
        connection_ = line.Connection();
        return 0;
    }

    // Connects (after the caller checked its arguments) and identifies the drive as the
    // drive selection does; a --kind the drive contradicts is refused before anything but
    // the identification reads is sent. 0 or the exit code.
    int Connect() {
        if (!devices_.isValid()) {
            std::fprintf(stderr, "kelmctl: cannot create a temporary folder\n");
            return 1;
        }
        master_ = OpenConnection(connection_, &portText_);
        if (!master_)
            return 1;
        driver_ = std::make_unique<TDriver>(host_, *master_);
        host_.SetDriver(driver_.get());
        const QString install = QCoreApplication::applicationDirPath() + QStringLiteral("/");
        ClearTerminateRequest();
        if (!driver_->Initialize(install, devices_.path() + QStringLiteral("/Devices/")))
            return 1;
        if (connection_.Address == 0) {
            std::fprintf(stderr, "kelmctl: the device address must not be 0\n");
            return 1;
        }
        const auto found = Identify();
        if (!found)
            return 1;
        if (requested_ && *requested_ != *found) {
            std::fprintf(stderr,
                         "kelmctl: --kind %s does not match the drive: address %u on %s is %s "
                         "(--kind %s)\n",
                         KindWord(*requested_), unsigned(connection_.Address),
                         Local(portText_).constData(), Local(KindDescription(*found)).constData(),
                         KindWord(*found));
            return 1;
        }
        kind_ = *found;
        driver_->SelectDeviceKind(kind_, false);
        master_->DeviceAddress = connection_.Address;
        driver_->SetOnline(master_->IsLinkReady());
        wasOnline_ = driver_->Online();
        return 0;
    }

    // Connect for a feature the Tarn Power unit does not have (named in the refusal).
    int ConnectTo(const char* feature) {
        if (const int code = Connect())
            return code;
        if (kind_ == DeviceKind::Power) {
            std::fprintf(stderr, "kelmctl: the Tarn Power unit has no %s\n", feature);
            return 1;
        }
        return 0;
    }

    // A whole-table transfer through the worker, waiting for its end. true when it ended
    // with its completion and the drive still on line.
    bool Transfer(bool write, char target, const QString& label) {
        ParamTable& table = target == 'P' ? driver_->ProfileTable() : driver_->ActiveTable();
        ProgressLine progress(label + QString::number(master_->DeviceAddress), table.Count());
        bool done = false;
        auto onProgress = [&progress] { progress.Step(); };
        auto onDone = [&done] { done = true; };
        if (write)
            driver_->StartWrite(target, onProgress, onDone);
        else
            driver_->StartRead(target, onProgress, onDone);
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            const char mode = driver_->ModeLetter();
            if (done || (mode != 'R' && mode != 'W'))
                loop.quit();
        });
        check.start(20);
        loop.exec();
        driver_->WaitIdle(); // no status polling in a command-line run
        progress.End();
        return done && driver_->Online();
    }

    bool ReadTable() { return Transfer(false, 'D', QStringLiteral("Reading from device Nr. ")); }

    TDriver& Driver() { return *driver_; }
    DeviceKind Kind() const { return kind_; }
    const QString& PortText() const { return portText_; }
    unsigned Address() const { return connection_.Address; }
    const QStringList& Words() const { return words_; }

private:
    // What the drive is: a plain port carries a plain drive; on a link the identification
    // reads find the Power unit, its Drive units or a Tarn Orca 230. nullopt after printing
    // why (nothing answers, no unit at the address).
    std::optional<DeviceKind> Identify() {
        if (!connection_.LinkMode)
            return DeviceKind::Std;
        driver_->SelectDeviceKind(DeviceKind::Power, false);
        const LinkIdentity link = IdentifyLink(*driver_);
        if (!link.Answered) {
            ReportNoAnswer(link.PowerAddress, portText_);
            return std::nullopt;
        }
        const auto kind = LinkUnitKind(link, connection_.Address);
        if (!kind) {
            const QString units =
                link.Orca
                    ? QStringLiteral("a Tarn Orca 230 at address %1").arg(LinkIdentity::OrcaAddress)
                    : QStringLiteral("the Tarn Power unit at address %1 and %2 Drive units "
                                     "above it")
                          .arg(link.PowerAddress)
                          .arg(link.DriveUnits);
            std::fprintf(stderr, "kelmctl: no unit at address %u on %s: the link has %s\n",
                         unsigned(connection_.Address), Local(portText_).constData(),
                         Local(units).constData());
        }
        return kind;
    }

    std::optional<DeviceKind> requested_; // --kind
    DeviceKind kind_ = DeviceKind::Std;
    QStringList words_;
    ConnectionOptions connection_;
    QString portText_;
    bool wasOnline_ = false;
    QTemporaryDir devices_;
    std::unique_ptr<ModbusMaster> master_;
    CliDriverHost host_;
    std::unique_ptr<TDriver> driver_; // last: goes before the master and the host
};

// Parses the command line into the session and checks that exactly `count` positional
// words remain. nullopt when the command goes on, else its exit code.
std::optional<int> Prepare(DriveSession& session, CommandLine& line, const QStringList& arguments,
                           int count) {
    DriveSession::AddOptions(line);
    if (const auto exit = line.Parse(arguments))
        return exit;
    if (const int code = session.Open(line))
        return code;
    if (line.Positional().size() != count)
        return line.Usage();
    return std::nullopt;
}

bool CheckDeviceExtension(const QString& path, DeviceKind kind) {
    if (HasDeviceFileExtension(path, kind))
        return true;
    ShowDifferentExtensions(path);
    return false;
}

// Counts the error boxes shown while it exists and passes every message on to the sink it
// replaced, so a step that only reports its failure (the comparison's file reader) still
// decides the exit code.
class ErrorCount final : public MessageSink {
public:
    ErrorCount() : previous_(Messages()) { InstallMessageSink(this); }
    ~ErrorCount() override { InstallMessageSink(&previous_); }
    ErrorCount(const ErrorCount&) = delete;
    ErrorCount& operator=(const ErrorCount&) = delete;

    int Errors() const { return errors_.load(); }

    void Beep() override { previous_.Beep(); }
    void ShowBox(const QString& caption, const QString& text, MessageIcon icon) override {
        if (icon == MessageIcon::Error)
            ++errors_;
        previous_.ShowBox(caption, text, icon);
    }
    bool AskYesNo(const QString& caption, const QString& text) override {
        return previous_.AskYesNo(caption, text);
    }
    void RequestTerminate() override { previous_.RequestTerminate(); }

private:
    MessageSink& previous_;
    std::atomic<int> errors_{0};
};

bool CheckProfilesExtension(const QString& path) {
    if (HasExtension(path, QLatin1String(ProfilesFileExtension)))
        return true;
    ShowDifferentExtensions(path);
    return false;
}

} // namespace

// The common start of the commands that pair the drive's whole table with a device
// file: arguments, the connection and identification, the file's extension (of the kind
// found) and the whole-table read.
// nullopt when the table has been read, else the exit code.
std::optional<int> ReadTableForFile(DriveSession& session, CommandLine& line,
                                    const QStringList& arguments, bool written, QString& path) {
    if (const auto exit = Prepare(session, line, arguments, 1))
        return exit;
    path = session.Words().first();
    if (!CheckFileArgument(path, written))
        return 2;
    if (const int code = session.Connect())
        return code;
    if (!CheckDeviceExtension(path, session.Kind()))
        return 1;
    return session.ReadTable() ? std::nullopt : std::optional<int>(1);
}

int RunBackup(const QStringList& arguments, const CliOptions&) {
    DriveSession session;
    CommandLine line("backup", "FILE");
    QString path;
    if (const auto exit = ReadTableForFile(session, line, arguments, true, path))
        return *exit;
    TDriver& driver = session.Driver();
    if (!SaveDeviceFile(driver.ActiveTable(), driver.CurrentKind(), path))
        return 1;
    driver.CurrentFileName = path;
    return 0;
}

// Reads the table first, so that entries the file does not name keep the drive's values,
// then takes the file's values and writes the whole table. Values outside their limits
// stop the restore before anything is written, unless --force is given.
int RunRestore(const QStringList& arguments, const CliOptions&) {
    DriveSession session;
    CommandLine line("restore", "FILE");
    line.AddFlag(QStringLiteral("force"), QStringLiteral("Write values outside their limits too."));
    QString path;
    if (const auto exit = ReadTableForFile(session, line, arguments, false, path))
        return *exit;
    const bool force = line.IsSet(QStringLiteral("force"));
    TDriver& driver = session.Driver();
    if (!OpenDeviceFile(driver.ActiveTable(), driver.CurrentKind(), path, true))
        return 1;
    const DeviceKind kind = driver.CurrentKind();
    const auto outside = ValuesOutsideLimits(
        driver.ActiveTable(), [kind](const ParamEntry& e) { return IsSentByTableWrite(kind, e); });
    if (!outside.empty()) {
        std::fprintf(stderr, "kelmctl: values outside their limits in %s:\n%s\n",
                     Local(path).constData(),
                     Local(OutOfLimitLines(outside).replace(u'\r', u'\n')).constData());
        if (!force) {
            std::fprintf(stderr, "kelmctl: nothing written (--force writes them)\n");
            return 1;
        }
    }
    driver.CurrentFileName = path;
    return session.Transfer(true, 'D', QStringLiteral("Writing to device Nr. ")) ? 0 : 1;
}

int RunEeprom(const QStringList& arguments, const CliOptions&) {
    DriveSession session;
    CommandLine line("eeprom", "save|reload|defaults");
    if (const auto exit = Prepare(session, line, arguments, 1))
        return *exit;
    const QString action = session.Words().first();
    std::uint8_t flag1 = 0;
    bool flag2 = false;
    std::uint16_t bits = 0;
    if (action == QLatin1String("save")) {
        flag1 = 2;
        bits = TDriver::CmdSaveEeprom;
    } else if (action == QLatin1String("reload")) {
        bits = TDriver::CmdReloadEeprom;
    } else if (action == QLatin1String("defaults")) {
        flag2 = true;
        bits = TDriver::CmdLoadDefaults;
    } else {
        return line.Usage();
    }
    // Loading the factory defaults replaces every setting of the drive: ask (--yes).
    if (bits == TDriver::CmdLoadDefaults && !AskConfirm(QStringLiteral("Load Default Data ?")))
        return 1;
    if (const int code = session.Connect())
        return code;
    const bool ok = session.Driver().EepromCommand(flag1, flag2, bits);
    session.Driver().WaitIdle();
    return ok ? 0 : 1;
}

int RunReset(const QStringList& arguments, const CliOptions&) {
    DriveSession session;
    CommandLine line("reset", "");
    if (const auto exit = Prepare(session, line, arguments, 0))
        return *exit;
    if (const int code = session.Connect())
        return code;
    const bool ok = session.Driver().ResetDrive();
    session.Driver().WaitIdle();
    if (!ok)
        std::fprintf(stderr, "kelmctl: the drive did not perform the reset\n");
    return ok ? 0 : 1;
}

namespace {

// Prints "  n<TAB>text" for each alarm bit of the word.
void PrintAlarmWord(const char* title, std::uint32_t word, const QStringList& texts) {
    std::printf("%s: 0x%08X\n", title, word);
    for (int bit = 0; bit < 32; ++bit) {
        if ((word & (1u << bit)) == 0)
            continue;
        const QString text = texts.value(bit);
        std::printf("  %d\t%s\n", bit + 1, Local(text).constData());
    }
}

std::optional<std::uint32_t> ReadAlarmWord(TDriver& driver, std::uint16_t low, std::uint16_t high) {
    const ParamEntry* lowEntry = driver.ActiveTable().FindByAddress(low);
    const ParamEntry* highEntry = driver.ActiveTable().FindByAddress(high);
    if (lowEntry == nullptr || highEntry == nullptr) {
        std::fprintf(stderr, "kelmctl: registers %u/%u are not in the configuration\n",
                     unsigned(low), unsigned(high));
        return std::nullopt;
    }
    if (!driver.ReadParam(low, true) || !driver.ReadParam(high, true))
        return std::nullopt;
    return static_cast<std::uint32_t>(static_cast<std::uint16_t>(lowEntry->DriveValue)) |
           static_cast<std::uint32_t>(static_cast<std::uint16_t>(highEntry->DriveValue)) << 16;
}

} // namespace

// Prints the alarm words; with --reset first clears the historic alarms.
int RunAlarms(const QStringList& arguments, const CliOptions&) {
    DriveSession session;
    CommandLine line("alarms", "");
    line.AddFlag(QStringLiteral("reset"), QStringLiteral("Clear the historic alarms first."));
    if (const auto exit = Prepare(session, line, arguments, 0))
        return *exit;
    const bool reset = line.IsSet(QStringLiteral("reset"));
    if (const int code = session.Connect())
        return code;
    TDriver& driver = session.Driver();
    driver.WaitIdle();
    if (reset && !driver.ResetAlarms())
        return 1;
    driver.WaitIdle();
    const KindRegisters regs = driver.Registers();
    const auto active = ReadAlarmWord(driver, regs.ActiveAlarmLow, regs.ActiveAlarmHigh);
    const auto historic = ReadAlarmWord(driver, regs.HistoricAlarmLow, regs.HistoricAlarmHigh);
    if (!active || !historic)
        return 1;
    const QStringList& texts = driver.Config().ActiveAlarmTexts();
    PrintAlarmWord("Active alarms", *active, texts);
    PrintAlarmWord("Historic alarms", *historic, texts);
    std::fflush(stdout);
    return 0;
}

// One line per compared parameter: marker ("*" when different), name, address, drive value,
// file value, tab-separated. Exit code as diff's: 0 all equal, 1 rows differ, 2 trouble.
int RunCompare(const QStringList& arguments, const CliOptions&) {
    DriveSession session;
    CommandLine line("compare", "FILE");
    QString path;
    if (const auto exit = ReadTableForFile(session, line, arguments, false, path))
        return *exit == 0 ? 0 : 2;
    TDriver& driver = session.Driver();
    Comparison comparison;
    ErrorCount errors;
    comparison.Load(driver.ActiveTable(), driver.CurrentKind(), QString(), path);
    // A file that cannot be opened or is not a parameter file of this kind has been
    // reported; there is nothing to compare against.
    if (errors.Errors() > 0)
        return 2;
    const QStringList titles = comparison.ColumnTitles();
    std::printf(" \t%s\n", Local(titles.join(QLatin1Char('\t'))).constData());
    int different = 0;
    for (const ComparisonRow& row : comparison.Rows()) {
        const bool differs = row.State() == RowState::Different;
        different += differs ? 1 : 0;
        QStringList cells;
        for (const QString& cell : row.Cells())
            cells << cell;
        std::printf("%s\t%s\n", differs ? "*" : " ",
                    Local(cells.join(QLatin1Char('\t'))).constData());
    }
    std::printf("%d of %d compared parameters differ\n", different,
                static_cast<int>(comparison.Rows().size()));
    std::fflush(stdout);
    return different > 0 ? 1 : 0;
}

int RunProfilesBackup(const QStringList& arguments, const CliOptions&) {
    DriveSession session;
    CommandLine line("profiles-backup", "FILE");
    if (const auto exit = Prepare(session, line, arguments, 1))
        return *exit;
    const QString path = session.Words().first();
    if (!CheckFileArgument(path, true))
        return 2;
    if (!CheckProfilesExtension(path))
        return 1;
    if (const int code = session.Connect())
        return code;
    if (!session.Transfer(false, 'P', QStringLiteral("Reading Profiles Data from device Nr. ")))
        return 1;
    return SaveProfilesFile(session.Driver().ProfileTable(), path) ? 0 : 1;
}

int RunProfilesRestore(const QStringList& arguments, const CliOptions&) {
    DriveSession session;
    CommandLine line("profiles-restore", "FILE");
    if (const auto exit = Prepare(session, line, arguments, 1))
        return *exit;
    const QString path = session.Words().first();
    if (!CheckFileArgument(path, false))
        return 2;
    if (!CheckProfilesExtension(path))
        return 1;
    if (const int code = session.Connect())
        return code;
    // Registers the file does not name keep the drive's values.
    if (!session.Transfer(false, 'P', QStringLiteral("Reading Profiles Data from device Nr. ")))
        return 1;
    if (!OpenProfilesFile(session.Driver().ProfileTable(), path))
        return 1;
    return session.Transfer(true, 'P', QStringLiteral("Writing Profiles Data to device Nr. ")) ? 0
                                                                                               : 1;
}

// Stores the drive's profiles in its flash or reloads them from it, after the question
// (answered by --yes).
int RunProfilesFlash(const QStringList& arguments, const CliOptions&) {
    DriveSession session;
    CommandLine line("profiles-flash", "save|load");
    if (const auto exit = Prepare(session, line, arguments, 1))
        return *exit;
    const QString action = session.Words().first();
    const bool save = action == QLatin1String("save");
    if (!save && action != QLatin1String("load"))
        return line.Usage();
    if (!AskConfirm(save ? QStringLiteral("Save Actual Profiles Data To Flash?")
                         : QStringLiteral("Load Profiles Data From Flash?")))
        return 1;
    if (const int code = session.Connect())
        return code;
    const bool ok =
        session.Driver().FlashCommand(save ? TDriver::CmdSaveProfiles : TDriver::CmdLoadProfiles);
    session.Driver().WaitIdle();
    return ok ? 0 : 1;
}

namespace {

constexpr int DefaultProcedureTimeoutS = 120;
constexpr int MaxTimeoutS = 3600;

void AddTimeoutOption(CommandLine& line, int fallback) {
    line.AddValue(QStringLiteral("timeout"), QStringLiteral("S"),
                  QStringLiteral("Time limit in seconds (0 to %1, default %2, 0 = no limit).")
                      .arg(MaxTimeoutS)
                      .arg(fallback));
}

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
// after the time limit (the recorder stopped again) or a lost line.
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
        if (timeoutS > 0 && clock.elapsed() >= timeoutS * 1000LL) {
            std::fprintf(stderr, "kelmctl: no record from address %u on %s within %d s\n",
                         session.Address(), Local(session.PortText()).constData(), timeoutS);
            scope::Stop(driver);
            return false;
        }
        QThread::msleep(ScopePollMs);
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
        if (done || driver.ModeLetter() != 'T')
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
    if (!CheckFileArgument(path, true))
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
    const bool written = suffix == QLatin1String("csv") ? WriteScopeCsv(recording, path)
                                                        : WriteScopeFile(recording, path);
    return written ? 0 : 1;
}

} // namespace kelm::cli
