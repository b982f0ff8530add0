#include "sim/app/Options.h"

#include "sim/engine/ControlCommands.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace kelm::sim {

namespace {

bool ToNumber(const QString& text, long long min, long long max, long long& value) {
    bool ok = false;
    value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                ? text.mid(2).toLongLong(&ok, 16)
                : text.toLongLong(&ok, 10);
    return ok && value >= min && value <= max;
}

// A number option: its range, and where a good value goes.
struct NumberOption {
    const char* Name;
    long long Min;
    long long Max;
    void (*Store)(Options&, long long);
};

const NumberOption NumberOptions[] = {
    {"units", 0, 254, [](Options& o, long long v) { o.setup.units = static_cast<int>(v); }},
    {"address", 1, 255,
     [](Options& o, long long v) { o.setup.address = static_cast<std::uint8_t>(v); }},
    {"model", 0, 0xFFFF, [](Options& o, long long v) { o.setup.model = static_cast<int>(v); }},
    {"baud", 50, 4000000, [](Options& o, long long v) { o.baud = static_cast<std::uint32_t>(v); }},
    {"turnaround", 0, 1000000,
     [](Options& o, long long v) { o.turnaroundUs = static_cast<std::uint32_t>(v); }},
    {"adapter-latency", 0, 255,
     [](Options& o, long long v) { o.adapterLatencyMs = static_cast<std::uint32_t>(v); }},
    {"cmd-delay", 0, 600000,
     [](Options& o, long long v) { o.setup.commandDelayMs = static_cast<std::uint32_t>(v); }},
};

// The options; the help lists them in this order.
void AddOptions(QCommandLineParser& parser) {
    const auto add = [&parser](const char* name, const char* value, const char* text) {
        parser.addOption(
            QCommandLineOption(QLatin1String(name), QLatin1String(text), QLatin1String(value)));
    };
    add("kind", "std|orca|link",
        "Plain drive (default), Tarn Orca 230 on a link port, or a Tarn link (Power unit and "
        "Drive units).");
    add("address", "A", "Address of the plain drive (1 to 255, default 1).");
    add("units", "N", "Link: number of Drive units (0 to 254, default: Power register 6).");
    add("model", "0xHHHH", "Register 0 (model code) of every device.");
    add("bin", "DIR", "Configuration folder (default: Bin beside kelmsim).");
    add("eeprom", "FILE", "Keep the EEPROM image in FILE (default: memory only).");
    add("cmd-delay", "MS", "Time until command bits clear (default 30).");
    add("baud", "B",
        "Pace both directions like a line at B baud (11 bits a byte): a request is taken once "
        "its last byte has arrived, reply bytes leave one at a time.");
    add("turnaround", "US",
        "The drive's pause between a request's last byte and its reply's first, in "
        "microseconds (default 0).");
    add("adapter-latency", "MS",
        "Hold replies as a USB serial adapter with this latency timer does: in packets of 62 "
        "bytes, a partial one passed on only when the timer runs out (default 0: at once).");
    parser.addOption(QCommandLineOption(
        QStringLiteral("realtime"),
        QStringLiteral("Run at real-time priority where allowed, so that the pacing holds on a "
                       "loaded machine (benchmarks).")));
    add("link-path", "PATH", "Also place a symbolic link to the terminal at PATH.");
    add("log", "FILE", "One line per request: ms address function register count answered.");
    add("exec", "COMMAND",
        "Run a control command at start (repeatable), e.g. --exec \"set * 11 230\" for a 230 V "
        "Power unit.");
    add("control", "PATH", "Create a FIFO at PATH that takes the commands below.");
}

void SetUp(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Simulates a drive (or a Tarn link) on a pseudo-terminal. The first\n"
                       "line of standard output is the terminal's path."));
    parser.addHelpOption();
    parser.addVersionOption();
    AddOptions(parser);
}

} // namespace

bool ParseOptions(const QStringList& arguments, Options& options, QString& error) {
    QCommandLineParser parser;
    SetUp(parser);
    if (!parser.parse(QStringList{QStringLiteral("kelmsim")} + arguments)) {
        error = parser.errorText();
        error.chop(error.endsWith(u'.') ? 1 : 0);
        return false;
    }
    options.help = parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"));
    options.version = parser.isSet(QStringLiteral("version"));
    options.realtime = parser.isSet(QStringLiteral("realtime"));
    if (!parser.positionalArguments().isEmpty()) {
        error = QStringLiteral("unexpected word \"%1\"").arg(parser.positionalArguments().first());
        return false;
    }
    if (parser.isSet(QStringLiteral("kind"))) {
        const QString value = parser.value(QStringLiteral("kind"));
        if (value == QLatin1String("std")) {
            options.setup.kind = SimKind::Std;
        } else if (value == QLatin1String("orca")) {
            options.setup.kind = SimKind::Orca;
        } else if (value == QLatin1String("link")) {
            options.setup.kind = SimKind::Link;
        } else {
            error = QStringLiteral("--kind takes std, orca or link, not \"%1\"").arg(value);
            return false;
        }
    }
    for (const NumberOption& option : NumberOptions) {
        const QString name = QLatin1String(option.Name);
        if (!parser.isSet(name))
            continue;
        long long number = 0;
        if (!ToNumber(parser.value(name), option.Min, option.Max, number)) {
            error = QStringLiteral("--%1 takes a number from %2 to %3, not \"%4\"")
                        .arg(name)
                        .arg(option.Min)
                        .arg(option.Max)
                        .arg(parser.value(name));
            return false;
        }
        option.Store(options, number);
    }
    options.binFolder = parser.value(QStringLiteral("bin"));
    options.setup.eepromFile = parser.value(QStringLiteral("eeprom"));
    options.linkPath = parser.value(QStringLiteral("link-path"));
    options.logFile = parser.value(QStringLiteral("log"));
    options.controlPath = parser.value(QStringLiteral("control"));
    options.startCommands = parser.values(QStringLiteral("exec"));
    const QFileInfo bin(options.binFolder);
    if (!options.binFolder.isEmpty() && bin.exists() && !bin.isDir()) {
        error = QStringLiteral("--bin %1 is a file, not a folder").arg(options.binFolder);
        return false;
    }
    for (const QString& file : {options.setup.eepromFile, options.logFile}) {
        if (!file.isEmpty() && QFileInfo(file).isDir()) {
            error = QStringLiteral("%1 is a folder, not a file").arg(file);
            return false;
        }
    }
    return true;
}

QString UsageText() {
    QCommandLineParser parser;
    SetUp(parser);
    QString text = parser.helpText();
    text.replace(0, text.indexOf(u'\n'), QStringLiteral("Usage: kelmsim [options]"));
    return text + QStringLiteral("\nControl commands (--control, --exec):\n") +
           ControlCommandHelp();
}

} // namespace kelm::sim
