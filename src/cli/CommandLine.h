#pragma once

#include "cli/ConnectionOptions.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>

namespace kelm::cli {

// The command line of one kelmctl command: the connection options, --yes, the command's own
// options and its positional words, parsed with QCommandLineParser. Options may stand
// before or after the command name (main hands over both); a word that reads as a negative
// number ("-5") is a value, never an option. Every complaint is one line on stderr.
class CommandLine {
public:
    // Whether the command talks to a drive. One that does not (check-config) still accepts
    // the connection options, so a script may give them to every command, but its --help
    // does not list them.
    enum class Port { Used, Unused };
    // name: the command ("read"); arguments: its words for the usage line ("ADDR [COUNT]").
    CommandLine(const char* name, const char* arguments, Port port = Port::Used);

    void AddFlag(const QString& name, const QString& description);
    // name must be one of CommandValueOptions (main finds the command word with them).
    void AddValue(const QString& name, const QString& valueName, const QString& description);

    // --address 0 (the broadcast address) is refused unless the command takes it.
    void AcceptBroadcast() { broadcast_ = true; }

    // Parses the words before and after the command name (with the connection options given before
    // it). nullopt when the command goes on; else its exit code: 0 after --help, 2 after a
    // complaint (unknown option, missing or bad value).
    std::optional<int> Parse(const QStringList& words);

    bool IsSet(const QString& name) const { return parser_.isSet(name); }
    QString Value(const QString& name) const { return parser_.value(name); }
    const QStringList& Positional() const { return positional_; }
    const ConnectionOptions& Connection() const { return connection_; }

    // The value of a number option within min..max; `fallback` when it is not given.
    // nullopt after a complaint.
    std::optional<int> Number(const QString& name, int min, int max, int fallback);

    // Prints the usage line to stderr; returns 2.
    int Usage() const;
    // Prints "kelmctl: text" to stderr; returns 2.
    static int Complain(const QString& text);

    // The options of any command that take a value, beside the connection options.
    static const QStringList& CommandValueOptions();
    // Where the command name stands in kelmctl's words (program name first): the first
    // word that is neither an option nor an option's value. -1 when there is none.
    // answerYes tells whether --yes was among the options.
    static qsizetype FindCommandWord(const QStringList& words, bool& answerYes);

private:
    QString name_;
    QString arguments_;
    QCommandLineParser parser_;
    QStringList valueOptions_; // "--name" of every option that takes a value
    QStringList positional_;
    ConnectionOptions connection_;
    bool broadcast_ = false;
};

} // namespace kelm::cli
