#include "sim/app/Options.h"

#include "sim/engine/ControlCommands.h"

namespace kelm::sim {

namespace {

bool ToNumber(const QString& text, long long min, long long max, long long& value) {
    bool ok = false;
    value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                ? text.mid(2).toLongLong(&ok, 16)
                : text.toLongLong(&ok, 10);
    return ok && value >= min && value <= max;
}

} // namespace

bool ParseOptions(const QStringList& arguments, Options& options, QString& error) {
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& name = arguments[i];
        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            options.help = true;
            continue;
        }
        if (name == QLatin1String("--realtime")) {
            options.realtime = true;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            error = QStringLiteral("%1: missing value or unknown option").arg(name);
            return false;
        }
        const QString value = arguments[++i];
        long long number = 0;
        if (name == QLatin1String("--kind")) {
            if (value == QLatin1String("std")) {
                options.setup.kind = SimKind::Std;
            } else if (value == QLatin1String("orca")) {
                options.setup.kind = SimKind::Orca;
            } else if (value == QLatin1String("link")) {
                options.setup.kind = SimKind::Link;
            } else {
                error = QStringLiteral("--kind takes std, orca or link");
                return false;
            }
        } else if (name == QLatin1String("--units") && ToNumber(value, 0, 254, number)) {
            options.setup.units = static_cast<int>(number);
        } else if (name == QLatin1String("--address") && ToNumber(value, 1, 255, number)) {
            options.setup.address = static_cast<std::uint8_t>(number);
        } else if (name == QLatin1String("--model") && ToNumber(value, 0, 0xFFFF, number)) {
            options.setup.model = static_cast<int>(number);
        } else if (name == QLatin1String("--baud") && ToNumber(value, 50, 4000000, number)) {
            options.baud = static_cast<std::uint32_t>(number);
        } else if (name == QLatin1String("--turnaround") && ToNumber(value, 0, 1000000, number)) {
            options.turnaroundUs = static_cast<std::uint32_t>(number);
        } else if (name == QLatin1String("--cmd-delay") && ToNumber(value, 0, 600000, number)) {
            options.setup.commandDelayMs = static_cast<std::uint32_t>(number);
        } else if (name == QLatin1String("--bin")) {
            options.binFolder = value;
        } else if (name == QLatin1String("--eeprom")) {
            options.setup.eepromFile = value;
        } else if (name == QLatin1String("--link-path")) {
            options.linkPath = value;
        } else if (name == QLatin1String("--log")) {
            options.logFile = value;
        } else if (name == QLatin1String("--control")) {
            options.controlPath = value;
        } else if (name == QLatin1String("--exec")) {
            options.startCommands << value;
        } else {
            error = QStringLiteral("%1 %2: unknown option or value out of range").arg(name, value);
            return false;
        }
    }
    return true;
}

QString UsageText() {
    return QStringLiteral(
               "Usage: kelmsim [options]\n"
               "Simulates a drive (or a Tarn link) on a pseudo-terminal. The first line of\n"
               "standard output is the terminal's path.\n\n"
               "  --kind std|orca|link  plain drive (default), Tarn Orca 230 on a link port,\n"
               "                        or a Tarn link (Power unit and Drive units)\n"
               "  --address A           address of the plain drive (default 1)\n"
               "  --units N             link: number of Drive units (default: Power register 6)\n"
               "  --model 0xHHHH        register 0 (model code) of every device\n"
               "  --bin DIR             configuration folder (default: Bin beside kelmsim)\n"
               "  --eeprom FILE         keep the EEPROM image in FILE (default: memory only)\n"
               "  --cmd-delay MS        time until command bits clear (default 30)\n"
               "  --baud B              pace both directions like a line at B baud (11 bits\n"
               "                        a byte): a request is taken once its last byte has\n"
               "                        arrived, reply bytes leave one at a time\n"
               "  --turnaround US       the drive's pause between a request's last byte and\n"
               "                        its reply's first, in microseconds (default 0)\n"
               "  --realtime            run at real-time priority where allowed, so that the\n"
               "                        pacing holds on a loaded machine (benchmarks)\n"
               "  --link-path PATH      also place a symbolic link to the terminal at PATH\n"
               "  --log FILE            one line per request: ms address function register\n"
               "                        count answered(yes/no)\n"
               "  --exec \"COMMAND\"      run a control command at start (repeatable), e.g.\n"
               "                        --exec \"set * 11 230\" for a 230 V Power unit\n"
               "  --control PATH        create a FIFO at PATH that takes commands:\n") +
           ControlCommandHelp();
}

} // namespace kelm::sim
