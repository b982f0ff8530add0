// kelmctl drive commands on the whole table and the profiles: backup, restore, EEPROM
// commands, reset, alarms, comparison, profiles backup/restore/flash, all through the drive
// model (TDriver) as the program does them.
#include "cli/Commands.h"
#include "cli/DriveSession.h"
#include "cli/FileArguments.h"
#include "cli/Output.h"
#include "cli/StderrMessages.h"

#include "core/config/ConfigurationSet.h"
#include "core/drive/DriveOwnedRegisters.h"
#include "core/files/Comparison.h"
#include "core/files/DeviceFile.h"
#include "core/files/ProfilesFile.h"
#include "core/params/LimitCheck.h"
#include "core/seams/Messages.h"

#include <atomic>
#include <cstdio>
#include <optional>

namespace kelm::cli {
namespace {

bool CheckDeviceExtension(const QString& path, DeviceKind kind) {
    if (HasDeviceFileExtension(path, kind))
        return true;
    ShowDifferentExtensions(path);
    return false;
}

// Before the drive is asked what it is: the extension of the --kind given, else that of
// any kind (the drive's own is checked once it is known).
bool CheckAnyDeviceExtension(const QString& path, std::optional<DeviceKind> requested) {
    if (requested)
        return CheckDeviceExtension(path, *requested);
    for (const DeviceKind kind :
         {DeviceKind::Std, DeviceKind::Power, DeviceKind::Drive, DeviceKind::Orca230})
        if (HasDeviceFileExtension(path, kind))
            return true;
    ShowDifferentExtensions(path);
    return false;
}

// A restore wrote what the file held; lines it could not use still make it fail.
int IgnoredLinesExit(const ValueLinesReport& report, const QString& path) {
    if (report.Ignored == 0)
        return 0;
    std::fprintf(stderr, "kelmctl: %d %s of %s ignored (unknown address); the rest was written\n",
                 report.Ignored, report.Ignored == 1 ? "line" : "lines", Local(path).constData());
    return 1;
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

// The file word of a command that pairs the drive with one file: the arguments, then the
// file checked (before the port is opened) as one the command writes or reads.
std::optional<int> PrepareFile(DriveSession& session, CommandLine& line,
                               const QStringList& arguments, bool written, QString& path) {
    if (const auto exit = Prepare(session, line, arguments, 1))
        return exit;
    path = session.Words().first();
    if (written ? !CheckOutputFile(path, ReadOnlyPolicy(line)) : !CheckInputFile(path))
        return 2;
    return std::nullopt;
}

// The common start of the commands that pair the drive's whole table with a device
// file: arguments, the file (before the port is opened), the connection and
// identification, the file's extension (of the kind found) and the whole-table read.
// nullopt when the table has been read, else the exit code.
std::optional<int> ReadTableForFile(DriveSession& session, CommandLine& line,
                                    const QStringList& arguments, bool written, QString& path) {
    if (const auto exit = PrepareFile(session, line, arguments, written, path))
        return exit;
    if (!CheckAnyDeviceExtension(path, session.RequestedKind()))
        return 1;
    if (const int code = session.Connect())
        return code;
    if (!CheckDeviceExtension(path, session.Kind()))
        return 1;
    return session.ReadTable() ? std::nullopt : std::optional<int>(1);
}

namespace {

// The common start of the profiles backup and restore: arguments, the file (before the
// port is opened), its extension, the connection and the read of the profile table.
// nullopt when the table has been read, else the exit code.
std::optional<int> ReadProfilesForFile(DriveSession& session, CommandLine& line,
                                       const QStringList& arguments, bool written, QString& path) {
    if (const auto exit = PrepareFile(session, line, arguments, written, path))
        return exit;
    if (!CheckProfilesExtension(path))
        return 1;
    if (const int code = session.Connect())
        return code;
    if (!session.Transfer(false, TransferTarget::Profiles,
                          QStringLiteral("Reading Profiles Data from device Nr. ")))
        return 1;
    return std::nullopt;
}

} // namespace

int RunBackup(const QStringList& arguments, const CliOptions&) {
    DriveSession session;
    CommandLine line("backup", "FILE");
    AddForceOption(line);
    QString path;
    if (const auto exit = ReadTableForFile(session, line, arguments, true, path))
        return *exit;
    TDriver& driver = session.Driver();
    if (!SaveDeviceFile(driver.ActiveTable(), driver.CurrentKind(), path, FileStamp::Now(),
                        ReadOnlyPolicy(line)))
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
    ValueLinesReport lines;
    if (!OpenDeviceFile(driver.ActiveTable(), driver.CurrentKind(), path, true, &lines))
        return 1;
    const DeviceKind kind = driver.CurrentKind();
    const auto outside = ValuesOutsideLimits(
        driver.ActiveTable(), [kind](const ParamEntry& e) { return IsSentByTableWrite(kind, e); });
    if (!outside.empty()) {
        PrintMessage(QStringLiteral("values outside their limits in %1:").arg(path));
        for (const QString& outOfLimit : OutOfLimitLines(outside).split(u'\r'))
            PrintMessage(outOfLimit);
        if (!force) {
            PrintMessage(QStringLiteral("nothing written (--force writes them)"));
            return 1;
        }
    }
    driver.CurrentFileName = path;
    if (!session.Transfer(true, TransferTarget::ActiveTable,
                          QStringLiteral("Writing to device Nr. ")))
        return 1;
    return IgnoredLinesExit(lines, path);
}

int RunEeprom(const QStringList& arguments, const CliOptions&) {
    DriveSession session;
    CommandLine line("eeprom", "save|reload|defaults");
    if (const auto exit = Prepare(session, line, arguments, 1))
        return *exit;
    const QString action = session.Words().first();
    WindowsToClose windows;
    std::uint16_t bits = 0;
    if (action == QLatin1String("save")) {
        windows.Pages = true;
        bits = TDriver::CmdSaveEeprom;
    } else if (action == QLatin1String("reload")) {
        bits = TDriver::CmdReloadEeprom;
    } else if (action == QLatin1String("defaults")) {
        windows.Profile = true;
        bits = TDriver::CmdLoadDefaults;
    } else {
        return line.Usage();
    }
    // Loading the factory defaults replaces every setting of the drive: ask (--yes).
    if (bits == TDriver::CmdLoadDefaults && !AskConfirm(QStringLiteral("Load Default Data ?")))
        return 1;
    if (const int code = session.Connect())
        return code;
    const bool ok = session.Driver().EepromCommand(bits, windows);
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

// Prints "  n<TAB>text" for each alarm bit of the word after its title, or one record
// {list, number, text} per alarm.
void PrintAlarmWord(OutputFormat format, const char* title, std::uint32_t word,
                    const QStringList& texts) {
    if (format == OutputFormat::Text)
        std::printf("%s alarms: 0x%08X\n", title, word);
    for (int bit = 0; bit < 32; ++bit) {
        if ((word & (1u << bit)) == 0)
            continue;
        const QString text = texts.value(bit);
        if (format == OutputFormat::Text)
            std::printf("  %d\t%s\n", bit + 1, Local(text).constData());
        else
            PrintRecord(format,
                        Record()
                            .Add(QStringLiteral("list"), QString::fromLatin1(title).toLower())
                            .Add(QStringLiteral("number"), bit + 1)
                            .Add(QStringLiteral("text"), text));
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
    AddFormatOption(line);
    if (const auto exit = Prepare(session, line, arguments, 0))
        return *exit;
    const auto format = ReadFormat(line);
    if (!format)
        return 2;
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
    PrintAlarmWord(*format, "Active", *active, texts);
    PrintAlarmWord(*format, "Historic", *historic, texts);
    std::fflush(stdout);
    return 0;
}

namespace {

QJsonValue SideValue(const ComparisonSide& side) {
    return side.Valid ? QJsonValue(side.Value) : QJsonValue();
}

} // namespace

// One line per compared parameter: marker ("*" when different), name, address, drive value,
// file value, tab-separated, as plain numbers (a side without a value is empty); or one
// record {differs, name, address, drive, file} per parameter. Exit code as diff's: 0 all
// equal, 1 rows differ, 2 trouble.
int RunCompare(const QStringList& arguments, const CliOptions&) {
    UseCompareExitCodes();
    DriveSession session;
    CommandLine line("compare", "FILE");
    AddFormatOption(line);
    QString path;
    if (const auto exit = ReadTableForFile(session, line, arguments, false, path))
        return *exit == 0 ? 0 : 2;
    const auto format = ReadFormat(line);
    if (!format)
        return 2;
    TDriver& driver = session.Driver();
    Comparison comparison;
    ErrorCount errors;
    comparison.Load(driver.ActiveTable(), driver.CurrentKind(), QString(), path);
    // A file that cannot be opened or is not a parameter file of this kind has been
    // reported; there is nothing to compare against.
    if (errors.Errors() > 0)
        return 2;
    if (*format == OutputFormat::Text) {
        QStringList titles;
        for (const QString& title : comparison.ColumnTitles())
            titles << title.trimmed();
        PrintLine(QStringLiteral(" \t") + titles.join(u'\t'));
    }
    int different = 0;
    for (const ComparisonRow& row : comparison.Rows()) {
        const bool differs = row.State() == RowState::Different;
        different += differs ? 1 : 0;
        Record record;
        if (*format != OutputFormat::Text)
            record.Add(QStringLiteral("differs"), differs);
        else
            record.Add(QString(), differs ? QStringLiteral("*") : QStringLiteral(" "));
        PrintRecord(*format, record.Add(QStringLiteral("name"), row.Name)
                                 .Add(QStringLiteral("address"), row.Address)
                                 .Add(QStringLiteral("drive"), SideValue(row.Left))
                                 .Add(QStringLiteral("file"), SideValue(row.Right)));
    }
    if (*format == OutputFormat::Text)
        std::printf("%d of %d compared parameters differ\n", different,
                    static_cast<int>(comparison.Rows().size()));
    return different > 0 ? 1 : 0;
}

int RunProfilesBackup(const QStringList& arguments, const CliOptions&) {
    DriveSession session;
    CommandLine line("profiles-backup", "FILE");
    AddForceOption(line);
    QString path;
    if (const auto exit = ReadProfilesForFile(session, line, arguments, true, path))
        return *exit;
    return SaveProfilesFile(session.Driver().ProfileTable(), path, FileStamp::Now(),
                            ReadOnlyPolicy(line))
               ? 0
               : 1;
}

int RunProfilesRestore(const QStringList& arguments, const CliOptions&) {
    DriveSession session;
    CommandLine line("profiles-restore", "FILE");
    QString path;
    // Registers the file does not name keep the drive's values.
    if (const auto exit = ReadProfilesForFile(session, line, arguments, false, path))
        return *exit;
    ValueLinesReport lines;
    if (!OpenProfilesFile(session.Driver().ProfileTable(), path, &lines))
        return 1;
    if (!session.Transfer(true, TransferTarget::Profiles,
                          QStringLiteral("Writing Profiles Data to device Nr. ")))
        return 1;
    return IgnoredLinesExit(lines, path);
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

} // namespace kelm::cli
