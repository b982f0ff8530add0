#include "app/ProgramCommandLine.h"

#include <QCommandLineParser>
#include <cstdio>

namespace kelm {
namespace {

// Options QApplication itself reads; they are accepted here and left to it.
void AddToolkitOptions(QCommandLineParser& parser) {
    const char* withValue[] = {"platform",
                               "platformpluginpath",
                               "platformtheme",
                               "plugin",
                               "style",
                               "stylesheet",
                               "display",
                               "geometry",
                               "qwindowgeometry",
                               "qwindowicon",
                               "qwindowtitle",
                               "session",
                               "name",
                               "title"};
    const char* flags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
    for (const char* name : withValue) {
        QCommandLineOption option(QLatin1String(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : flags) {
        QCommandLineOption option{QLatin1String(name)};
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

} // namespace

ProgramCommandLine ParseProgramCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // The toolkit's options are single-dash words ("-platform offscreen").
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Kelm Drive: commissioning and tuning of servo drives over a serial line."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    AddToolkitOptions(parser);
    parser.addPositionalArgument(QStringLiteral("travik"),
                                 QStringLiteral("Start at the Expert level (any letter case)."),
                                 QStringLiteral("[travik]"));

    ProgramCommandLine line;
    line.Words << arguments.value(0);
    const auto complain = [&line](const QString& text) {
        std::fprintf(stderr, "kelmdrive: %s (kelmdrive --help lists the options)\n",
                     text.toLocal8Bit().constData());
        line.Exit = 2;
        return line;
    };
    if (!parser.parse(arguments)) {
        const QString error = parser.errorText();
        return complain(error.chopped(error.endsWith(u'.') ? 1 : 0));
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        QString text = parser.helpText();
        text.replace(0, text.indexOf(u'\n'), QStringLiteral("Usage: kelmdrive [options] [travik]"));
        std::fputs(qPrintable(text), stdout);
        line.Exit = 0;
        return line;
    }
    if (parser.isSet(version)) {
        std::printf("kelmdrive %s\n", KELM_VERSION);
        line.Exit = 0;
        return line;
    }
    for (const QString& word : parser.positionalArguments()) {
        if (word.toLower() != QLatin1String("travik"))
            return complain(QStringLiteral("unknown word \"%1\"").arg(word));
        line.Words << word;
    }
    return line;
}

} // namespace kelm
