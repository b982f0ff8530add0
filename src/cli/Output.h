#pragma once

#include <QJsonValue>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace kelm::cli {

class CommandLine;

// How a command prints its results on stdout: for a person (text), or one record per line
// for a script (tsv: the fields in order, tab-separated; json: one object per line).
enum class OutputFormat { Text, Tsv, Json };

// One result record: named fields in the order a tsv line gives them.
class Record {
public:
    Record& Add(const QString& name, const QJsonValue& value) {
        fields_.emplace_back(name, value);
        return *this;
    }
    // The tsv line (tabs and line breaks inside a field become blanks) and the json object.
    QString Tsv() const;
    QString Json() const;

private:
    std::vector<std::pair<QString, QJsonValue>> fields_;
};

// --format tsv|json for the commands that offer it.
void AddFormatOption(CommandLine& line);
// The chosen format (text when not given); nullopt after a complaint (CommandLine::Parse
// has made it already when the command offers --format).
std::optional<OutputFormat> ReadFormat(const CommandLine& line);

// Prints a record as the format says (text prints its tsv line).
void PrintRecord(OutputFormat format, const Record& record);
// Prints a line on stdout.
void PrintLine(const QString& text);

// Parameter registers a command wrote to the drive's RAM and left unsaved (added up).
void NoteUnsavedWrites(int count);
// The one-line reminder on stderr after a command that left writes unsaved; none with
// --quiet (quiet) or when nothing is unsaved.
void RemindUnsavedWrites(bool quiet);
// The reminder's text for count registers.
QString UnsavedReminder(int count);

// A command whose exit code says equal (0), different (1) or trouble (2) calls this; results
// lost on their way to stdout are then trouble instead of a failure.
void UseCompareExitCodes();
// The exit code when stdout could not be written: 2 after UseCompareExitCodes, else 1.
int LostOutputExitCode();

// Flushes stdout: false when anything written there was lost (a full disk, a closed pipe),
// after saying so on stderr.
bool FinishOutput();

} // namespace kelm::cli
