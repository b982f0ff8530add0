// kelmctl: the command-line front end of the commissioning tool.
#include "cli/CliCommand.h"
#include "cli/ConnectionOptions.h"
#include "cli/StderrMessages.h"
#include "cli/Stopping.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace {

using kelm::cli::AllCommands;
using kelm::cli::CliCommand;

void PrintHelp(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    text.replace(0, text.indexOf(u'\n'),
                 QStringLiteral("Usage: kelmctl [options] COMMAND [ARGUMENTS]"));
    std::fputs(qPrintable(text), stdout);
    std::fputs("\nCommands:\n", stdout);
    for (const CliCommand& command : AllCommands()) {
        const QString head = QStringLiteral("%1 %2").arg(QLatin1String(command.Name),
                                                         QLatin1String(command.Arguments));
        // A long head puts its summary on the next line.
        if (head.size() > 28)
            std::printf("  %s\n  %-28s %s\n", head.toLocal8Bit().constData(), "", command.Summary);
        else
            std::printf("  %-28s %s\n", head.toLocal8Bit().constData(), command.Summary);
    }
    std::fputs("\nConnection options may also follow the command name; \"kelmctl COMMAND --help\"\n"
               "lists a command's own options. Unset connection options come from the settings\n"
               "of the desktop program (address 1).\n\n"
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
               "transfer stops after the register in hand and says how far it got. A second\n"
               "Ctrl-C ends kelmctl at once.\n\n"
               "Exit codes: 0 done, 1 failed (the drive did not answer, a file or a value was\n"
               "refused), 2 bad command line; compare: 0 all equal, 1 rows differ, 2 trouble;\n"
               "128 + the signal number after a stop signal (130 after Ctrl-C, 143 after\n"
               "SIGTERM).\n",
               stdout);
}

int Complain(const QString& text) {
    std::fprintf(stderr, "kelmctl: %s (kelmctl --help lists the commands and options)\n",
                 text.toLocal8Bit().constData());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kelmctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KELM_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Command-line front end of the Kelm Drive commissioning tool: checks the\n"
                       "configuration set and reads, writes, saves and restores drive registers\n"
                       "over a serial line."));
    // Everything after the command name belongs to the command.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption yes(QStringLiteral("yes"),
                                 QStringLiteral("Answer Yes to every question (default: No)."));
    parser.addOption(yes);
    kelm::cli::AddConnectionOptions(parser);
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("One of the commands below, with its arguments."),
                                 QStringLiteral("COMMAND [ARGUMENTS]"));

    if (!parser.parse(QCoreApplication::arguments()))
        return Complain(parser.errorText().chopped(parser.errorText().endsWith(u'.') ? 1 : 0));
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        PrintHelp(parser);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("kelmctl %s\n", KELM_VERSION);
        return 0;
    }
    QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        return Complain(QStringLiteral("no command given"));
    kelm::cli::CliOptions options;
    options.AnswerYes = parser.isSet(yes);
    const QString name = words.takeFirst();
    for (const CliCommand& command : AllCommands()) {
        if (name == QLatin1String(command.Name)) {
            kelm::cli::StderrMessages messages(options.AnswerYes);
            kelm::cli::InstallStopHandling();
            return kelm::cli::ExitCodeAfterStop(
                command.Run(kelm::cli::ConnectionWords(parser) + words, options));
        }
    }
    return Complain(QStringLiteral("unknown command ") + name);
}
