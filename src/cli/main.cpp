// kelmctl: the command-line front end of the commissioning tool.
#include "cli/CliCommand.h"
#include "cli/ConnectionOptions.h"
#include "cli/StderrMessages.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

using kelm::cli::AllCommands;
using kelm::cli::CliCommand;

void PrintHelp(std::FILE* out) {
    std::fprintf(out, "Usage: kelmctl [--yes] COMMAND [ARGUMENTS]\n\n"
                      "Options:\n"
                      "  --help, -h  show this help\n"
                      "  --yes       answer Yes to every question (default: No)\n"
                      "  %s\n"
                      "              how drive commands reach the drive (default: settings)\n\n"
                      "Commands:\n",
                 kelm::cli::ConnectionOptions::Usage);
    for (const CliCommand& command : AllCommands()) {
        const QString head = QStringLiteral("%1 %2").arg(QLatin1String(command.Name),
                                                         QLatin1String(command.Arguments));
        std::fprintf(out, "  %-28s %s\n", head.toLocal8Bit().constData(), command.Summary);
    }
    std::fputs("\n--kind K: std, power, drive or orca230; default: what the drive is (a plain\n"
               "port carries a plain drive; on a link the identification reads find the Power\n"
               "unit, its Drive units or a Tarn Orca 230). A --kind the drive contradicts is\n"
               "refused.\n\n"
               "Exit codes: 0 done, 1 failed (the drive did not answer, a file or a value was\n"
               "refused), 2 bad command line; compare: 0 all equal, 1 rows differ, 2 trouble.\n",
               out);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    kelm::cli::CliOptions options;
    QStringList words = QCoreApplication::arguments().mid(1);
    QStringList connectionWords; // connection options before the command go to the command
    // Global options come before the command name.
    while (!words.isEmpty() && words.first().startsWith(u'-')) {
        const QString option = words.takeFirst();
        if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
            PrintHelp(stdout);
            return 0;
        }
        if (option == QLatin1String("--yes")) {
            options.AnswerYes = true;
            continue;
        }
        bool takesValue = false;
        if (kelm::cli::IsConnectionOption(option, takesValue)) {
            connectionWords << option;
            if (takesValue && !words.isEmpty()) {
                connectionWords << words.takeFirst();
            }
            continue;
        }
        std::fprintf(stderr, "kelmctl: unknown option %s\n\n", option.toLocal8Bit().constData());
        PrintHelp(stderr);
        return 2;
    }
    if (words.isEmpty()) {
        PrintHelp(stderr);
        return 2;
    }
    const QString name = words.takeFirst();
    for (const CliCommand& command : AllCommands()) {
        if (name == QLatin1String(command.Name)) {
            kelm::cli::StderrMessages messages(options.AnswerYes);
            return command.Run(connectionWords + words, options);
        }
    }
    std::fprintf(stderr, "kelmctl: unknown command %s\n\n", name.toLocal8Bit().constData());
    PrintHelp(stderr);
    return 2;
}
