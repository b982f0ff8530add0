// kelmctl: the command-line front end of the commissioning tool.
#include "cli/CliCommand.h"
#include "cli/CommandLine.h"
#include "cli/ConnectionOptions.h"
#include "cli/Output.h"
#include "cli/StderrMessages.h"
#include "cli/Stopping.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

using kelm::cli::AllCommands;
using kelm::cli::CliCommand;

// The summary of a command in lines of at most 79 characters, each but the first indented
// to the summary column.
QString Wrapped(const QString& summary) {
    constexpr int Column = 31;
    constexpr int Width = 79 - Column;
    QStringList lines{QString()};
    for (const QString& word : summary.split(u' ', Qt::SkipEmptyParts)) {
        if (!lines.last().isEmpty() && lines.last().size() + 1 + word.size() > Width)
            lines << QString();
        lines.last() += (lines.last().isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    return lines.join(QLatin1Char('\n') + QString(Column, u' '));
}

void PrintHelp(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    text.replace(0, text.indexOf(u'\n'),
                 QStringLiteral("Usage: kelmctl [options] COMMAND [ARGUMENTS]"));
    std::fputs(qPrintable(text), stdout);
    std::fputs("\nCommands:\n", stdout);
    for (const CliCommand& command : AllCommands()) {
        const QString head = QStringLiteral("%1 %2").arg(QLatin1String(command.Name),
                                                         QLatin1String(command.Arguments));
        const QByteArray summary = Wrapped(QLatin1String(command.Summary)).toLocal8Bit();
        // A long head puts its summary on the next line.
        if (head.size() > 28)
            std::printf("  %s\n  %-28s %s\n", head.toLocal8Bit().constData(), "",
                        summary.constData());
        else
            std::printf("  %-28s %s\n", head.toLocal8Bit().constData(), summary.constData());
    }
    std::fputs("\nOptions may stand before or after the command name (kelmctl --yes eeprom\n"
               "defaults, kelmctl eeprom defaults --yes); \"kelmctl COMMAND --help\" lists a\n"
               "command's own options. Unset connection options come from the settings of the\n"
               "desktop program (address 1). --parity takes what the line can do: none, odd or\n"
               "even. --address 0 is the broadcast address: only write takes it, sends each\n"
               "block once and awaits no reply (no drive answers a broadcast); every other\n"
               "command refuses it.\n\n"
               "A command that wrote parameter registers ends with a one-line reminder on\n"
               "stderr that they live in the drive's RAM until \"kelmctl eeprom save\" (none\n"
               "with --quiet).\n\n"
               "Results go to stdout, messages to stderr: each message is one line starting\n"
               "\"kelmctl:\" (the lines of a message box are joined with \" / \"). A result\n"
               "that cannot be written to stdout (a full disk, kelmctl ... > /dev/full) is a\n"
               "failure (exit 1).\n\n"
               "--format tsv|json (read, compare, alarms, phase, offset, check-config, step,\n"
               "scope --metrics) prints one record per line for a script: tsv the fields in\n"
               "the order named above, tab-separated (a value absent from a side: empty);\n"
               "json one object per line (absent: null).\n\n"
               "--kind K: std, power, drive or orca230; default: what the drive is (a plain\n"
               "port carries a plain drive; on a link the identification reads find the Power\n"
               "unit, its Drive units or a Tarn Orca 230). A --kind the drive contradicts is\n"
               "refused.\n\n"
               "Files are checked before the port is opened, so nothing is sent to the drive\n"
               "for a file that cannot be used. A FILE to read must be a regular file of at\n"
               "most 16 MB with the extension of its kind. A FILE to write must be a new name\n"
               "in an existing folder, a regular file or a symbolic link to one (the file it\n"
               "points at is replaced, the link stays); a device, FIFO, socket, folder or\n"
               "broken link is refused (exit 2), and so is a read-only file unless --force is\n"
               "given (it keeps its permissions). A replaced file keeps its permissions.\n"
               "restore and profiles-restore write what the file holds and exit 1 when a line\n"
               "of it was ignored, saying how many.\n\n"
               "Ctrl-C (SIGINT), SIGTERM or SIGHUP stop a command safely: a procedure is\n"
               "cancelled (the disable request is written and its request withdrawn), a\n"
               "transfer stops after the register in hand and says how far it got (\"41 of\n"
               "73 registers written; ...\"), a step sets the speed reference back to 0. A\n"
               "second Ctrl-C ends kelmctl at once.\n\n"
               "Exit codes: 0 done, 1 failed (the drive did not answer, a file or a value was\n"
               "refused, stdout could not be written), 2 bad command line (an unknown option,\n"
               "a value outside its range, named in the message); compare: 0 all equal, 1 rows\n"
               "differ, 2 trouble; 128 + the signal number after a stop signal (130 after\n"
               "Ctrl-C, 143 after SIGTERM).\n",
               stdout);
}

int Complain(const QString& text) {
    kelm::cli::PrintMessage(text +
                            QStringLiteral(" (kelmctl --help lists the commands and options)"));
    return 2;
}

// No command word: the help, the version, or the reason why nothing runs.
int WithoutCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Command-line front end of the Kelm Drive commissioning tool: checks the\n"
                       "configuration set and reads, writes, saves and restores drive registers\n"
                       "over a serial line."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOption(QCommandLineOption(
        QStringLiteral("yes"), QStringLiteral("Answer Yes to every question (default: No).")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("quiet"),
        QStringLiteral("No reminder that written registers are not saved to EEPROM.")));
    kelm::cli::AddConnectionOptions(parser);
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("One of the commands below, with its arguments."),
                                 QStringLiteral("COMMAND [ARGUMENTS]"));
    if (!parser.parse(arguments))
        return Complain(parser.errorText().chopped(parser.errorText().endsWith(u'.') ? 1 : 0));
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        PrintHelp(parser);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("kelmctl %s\n", KELM_VERSION);
        return 0;
    }
    return Complain(QStringLiteral("no command given"));
}

// Qt's own messages follow the rule of every line kelmctl writes on stderr: they start with
// "kelmctl: ". The note that XDG_RUNTIME_DIR is unset (the report's windowless Gui part, on
// a machine without a login session) is left out: nothing here uses that folder.
void QtMessageLine(QtMsgType, const QMessageLogContext&, const QString& message) {
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    std::fprintf(stderr, "kelmctl: %s\n", message.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(QtMessageLine);
    // Results that are not read at a terminal are kept until the end (up to 1 MiB), so that a
    // write that fails is found, with its reason, when they are flushed.
    static char outputBuffer[1 << 20];
    if (!isatty(fileno(stdout)))
        std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
    // The report lays out text for its PDF, which takes a Gui application; it never shows a
    // window, so it needs no display.
    QStringList words;
    for (int i = 0; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    bool unusedYes = false;
    const qsizetype word = kelm::cli::CommandLine::FindCommandWord(words, unusedYes);
    std::unique_ptr<QCoreApplication> app;
    if (word >= 0 && words[word] == QLatin1String("report")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("kelmctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KELM_VERSION));

    // Options may stand before or after the command name: everything but the name goes to
    // the command's own parser, which knows every option the command takes.
    const QStringList arguments = QCoreApplication::arguments();
    kelm::cli::CliOptions options;
    const qsizetype at = kelm::cli::CommandLine::FindCommandWord(arguments, options.AnswerYes);
    // --quiet, anywhere before an end-of-options mark.
    options.Quiet = arguments.mid(0, arguments.indexOf(QStringLiteral("--")))
                        .contains(QStringLiteral("--quiet"));
    if (at < 0) {
        const int code = WithoutCommand(arguments);
        return kelm::cli::FinishOutput() ? code : 1;
    }
    const QString name = arguments[at];
    for (const CliCommand& command : AllCommands()) {
        if (name != QLatin1String(command.Name))
            continue;
        int code = 0;
        {
            kelm::cli::StderrMessages messages(options.AnswerYes);
            kelm::cli::InstallStopHandling();
            code = kelm::cli::ExitCodeAfterStop(
                command.Run(arguments.mid(1, at - 1) + arguments.mid(at + 1), options));
            kelm::cli::RemindUnsavedWrites(options.Quiet);
        }
        // Results that did not reach stdout are a failure (compare: trouble).
        if (!kelm::cli::FinishOutput() && code < 2)
            code = kelm::cli::LostOutputExitCode();
        return code;
    }
    return Complain(QStringLiteral("unknown command ") + name);
}
