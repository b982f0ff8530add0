#pragma once

#include "cli/ConnectionOptions.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>

namespace kelm::cli {

// The command line of one kelmctl command: the connection options, the command's own
// options and its positional words, parsed with QCommandLineParser. Options may stand
// anywhere after the command name; a word that reads as a negative number ("-5") is a
// value, never an option. Every complaint is one line on stderr.
class CommandLine {
public:
    // name: the command ("read"); arguments: its words for the usage line ("ADDR [COUNT]").
    CommandLine(const char* name, const char* arguments);

    void AddFlag(const QString& name, const QString& description);
    void AddValue(const QString& name, const QString& valueName, const QString& description);

    // Parses the words after the command name (with the connection options given before
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

private:
    QString name_;
    QString arguments_;
    QCommandLineParser parser_;
    QStringList valueOptions_; // "--name" of every option that takes a value
    QStringList positional_;
    ConnectionOptions connection_;
};

// A FILE the command reads or writes must not be a folder; one it writes needs an
// existing folder. false after a complaint.
bool CheckFileArgument(const QString& path, bool written);

} // namespace kelm::cli
