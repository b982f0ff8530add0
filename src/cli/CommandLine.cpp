#include "cli/CommandLine.h"

#include "cli/Output.h"
#include "cli/StderrMessages.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstdio>

namespace kelm::cli {
namespace {

const QString HelpName = QStringLiteral("help");

// QCommandLineParser takes "-5" for an option: an end-of-options mark goes before the first
// negative number that is not the value of an option.
QStringList MarkNegativeNumbers(const QStringList& words, const QStringList& valueOptions) {
    static const QRegularExpression negative(QStringLiteral("^-[0-9]"));
    QStringList out;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        if (word == QLatin1String("--"))
            return out + words.mid(i);
        if (negative.match(word).hasMatch())
            return out + QStringList{QStringLiteral("--")} + words.mid(i);
        out << word;
        if (valueOptions.contains(word) && i + 1 < words.size())
            out << words[++i];
    }
    return out;
}

} // namespace

CommandLine::CommandLine(const char* name, const char* arguments, Port port)
    : name_(QLatin1String(name)), arguments_(QLatin1String(arguments)) {
    parser_.addOption(QCommandLineOption({QStringLiteral("h"), HelpName},
                                         QStringLiteral("Show this command's options.")));
    parser_.addOption(QCommandLineOption(
        QStringLiteral("yes"), QStringLiteral("Answer Yes to every question (default: No).")));
    parser_.addOption(QCommandLineOption(
        QStringLiteral("quiet"),
        QStringLiteral("No reminder that written registers are not saved to EEPROM.")));
    for (QCommandLineOption option : ConnectionOptionList()) {
        if (port == Port::Unused)
            option.setFlags(QCommandLineOption::HiddenFromHelp);
        if (!option.valueName().isEmpty())
            valueOptions_ << QStringLiteral("--") + option.names().constFirst();
        parser_.addOption(option);
    }
}

void CommandLine::AddFlag(const QString& name, const QString& description) {
    parser_.addOption(QCommandLineOption(name, description));
}

void CommandLine::AddValue(const QString& name, const QString& valueName,
                           const QString& description) {
    Q_ASSERT(CommandValueOptions().contains(name));
    parser_.addOption(QCommandLineOption(name, description, valueName));
    valueOptions_ << QStringLiteral("--") + name;
}

std::optional<int> CommandLine::Parse(const QStringList& words) {
    const QString program = QStringLiteral("kelmctl ") + name_;
    if (!parser_.parse(QStringList{program} + MarkNegativeNumbers(words, valueOptions_))) {
        const QString error = parser_.errorText();
        return Complain(error.chopped(error.endsWith(u'.') ? 1 : 0));
    }
    if (parser_.isSet(HelpName)) {
        QString text = parser_.helpText();
        text.replace(0, text.indexOf(u'\n'),
                     QStringLiteral("Usage: %1 [options] %2").arg(program, arguments_));
        std::fputs(qPrintable(text), stdout);
        return 0;
    }
    positional_ = parser_.positionalArguments();
    if (!ReadConnectionOptions(parser_, connection_))
        return 2;
    if (valueOptions_.contains(QStringLiteral("--format")) && !ReadFormat(*this))
        return 2;
    if (connection_.Address == 0 && !broadcast_)
        return Complain(QStringLiteral("--address 0 is the broadcast address, which no drive "
                                       "answers: only write takes it (1 to 255 here)"));
    return std::nullopt;
}

std::optional<int> CommandLine::Number(const QString& name, int min, int max, int fallback) {
    if (!parser_.isSet(name))
        return fallback;
    bool ok = false;
    const QString text = parser_.value(name);
    const int value = text.toInt(&ok);
    if (!ok || value < min || value > max) {
        Complain(QStringLiteral("--%1 takes a number from %2 to %3, not \"%4\"")
                     .arg(name)
                     .arg(min)
                     .arg(max)
                     .arg(text));
        return std::nullopt;
    }
    return value;
}

int CommandLine::Usage() const {
    PrintMessage(QStringLiteral("usage: kelmctl %1 [options] %2 (kelmctl %1 --help lists the "
                                "options)")
                     .arg(name_, arguments_));
    return 2;
}

int CommandLine::Complain(const QString& text) {
    PrintMessage(text);
    return 2;
}

const QStringList& CommandLine::CommandValueOptions() {
    static const QStringList names = {"kind",   "timeout", "format",   "signal1", "signal2",
                                      "scale1", "scale2",  "window",   "edge",    "level",
                                      "delay",  "speed",   "duration", "since",   "drive"};
    return names;
}

qsizetype CommandLine::FindCommandWord(const QStringList& words, bool& answerYes) {
    QStringList valueOptions = CommandValueOptions();
    for (const QCommandLineOption& option : ConnectionOptionList())
        if (!option.valueName().isEmpty())
            valueOptions << option.names().constFirst();
    answerYes = false;
    qsizetype command = -1;
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QString& word = words[i];
        if (word == QLatin1String("--")) {
            if (command < 0 && i + 1 < words.size())
                command = i + 1;
            break;
        }
        if (word.size() < 2 || !word.startsWith(u'-') || word[1].isDigit()) {
            if (command < 0)
                command = i; // then on: only --yes is looked for
            continue;
        }
        const QString name = word.mid(word.startsWith(QLatin1String("--")) ? 2 : 1);
        if (name == QLatin1String("yes"))
            answerYes = true;
        else if (valueOptions.contains(name))
            ++i; // its value
    }
    return command;
}

} // namespace kelm::cli
