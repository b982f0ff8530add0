// kelmctl journal: lists the journal of changes, and takes one change back.
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/DriveSession.h"
#include "cli/Output.h"
#include "cli/StderrMessages.h"
#include "core/drive/UndoWriter.h"
#include "core/journal/Journal.h"
#include "core/journal/JournalQuery.h"
#include "core/journal/UndoPlan.h"
#include "core/rules/UnitIdentity.h"

#include <QTextStream>
#include <cstdio>
#include <unistd.h>

namespace kelm::cli {
namespace {

QJsonValue Optional(const std::optional<int>& value) {
    return value ? QJsonValue(*value) : QJsonValue();
}

QJsonValue Text(const QString& text) {
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

Record EntryRecord(const JournalEntry& e) {
    return Record()
        .Add(QStringLiteral("change"), static_cast<qint64>(e.Change))
        .Add(QStringLiteral("time"), e.Time.toString(Qt::ISODateWithMs))
        .Add(QStringLiteral("program"), e.Program)
        .Add(QStringLiteral("level"), Text(e.UserLevel))
        .Add(QStringLiteral("port"), e.Port)
        .Add(QStringLiteral("address"), e.Address)
        .Add(QStringLiteral("kind"), Text(e.Kind))
        .Add(QStringLiteral("model"), Text(e.Identity.Model))
        .Add(QStringLiteral("size"), Text(e.Identity.Size))
        .Add(QStringLiteral("firmware"), Text(e.Identity.Firmware))
        .Add(QStringLiteral("register"), e.Register ? QJsonValue(*e.Register) : QJsonValue())
        .Add(QStringLiteral("name"), Text(e.Name))
        .Add(QStringLiteral("old"), Optional(e.OldValue))
        .Add(QStringLiteral("new"), Optional(e.NewValue))
        .Add(QStringLiteral("command"), Text(e.Command))
        .Add(QStringLiteral("action"), e.Action)
        .Add(QStringLiteral("result"), ResultName(e.Result));
}

// "  80 Speed KP: 100 -> 110 (written)" or "  Save Data To EEPROM (written)".
QString EntryLine(const JournalEntry& e) {
    const QString what =
        e.Register ? QStringLiteral("%1 %2: %3 -> %4")
                         .arg(*e.Register)
                         .arg(e.Name)
                         .arg(e.OldValue ? QString::number(*e.OldValue) : QStringLiteral("?"))
                         .arg(e.NewValue ? QString::number(*e.NewValue) : QStringLiteral("?"))
                   : e.Command;
    return QStringLiteral("  %1 (%2)").arg(what, ResultName(e.Result));
}

Journal UserJournal() {
    return Journal(Journal::Options{JournalPath()});
}

Journal::Listing ReadJournal() {
    const Journal::Listing listing = UserJournal().Read();
    for (const QString& note : listing.Skipped)
        PrintMessage(note);
    return listing;
}

int List(const CommandLine& line, OutputFormat format) {
    JournalFilter filter;
    if (line.IsSet(QStringLiteral("since"))) {
        filter.Since = ParseSince(line.Value(QStringLiteral("since")));
        if (!filter.Since.isValid())
            return CommandLine::Complain(
                QStringLiteral("--since takes a date (2026-12-08 or 2026-12-08T10:15), not \"%1\"")
                    .arg(line.Value(QStringLiteral("since"))));
    }
    if (line.IsSet(QStringLiteral("drive"))) {
        QString error;
        const auto drive = ParseDriveFilter(line.Value(QStringLiteral("drive")), &error);
        if (!drive)
            return CommandLine::Complain(QStringLiteral("--drive: ") + error);
        filter.Drive = *drive;
    }
    for (const JournalChange& change : QueryChanges(ReadJournal().Entries, filter)) {
        if (format != OutputFormat::Text) {
            for (const JournalEntry& entry : change.Entries)
                PrintRecord(format, EntryRecord(entry));
            continue;
        }
        const JournalEntry& first = change.Entries.front();
        PrintLine(QStringLiteral("Change %1  %2  %3  %4 address %5 (%6)  %7")
                      .arg(change.Number)
                      .arg(change.Time().toString(Qt::ISODate), first.Program, first.Port)
                      .arg(first.Address)
                      .arg(DescribeDrive(first.Kind, first.Identity), change.Action()));
        for (const JournalEntry& entry : change.Entries)
            PrintLine(EntryLine(entry));
    }
    return 0;
}

// Asks on the terminal; without one only --yes lets the undo go.
bool Confirmed(const CliOptions& options) {
    if (options.AnswerYes)
        return true;
    if (isatty(STDIN_FILENO) == 0) {
        PrintMessage(QStringLiteral("journal undo writes to the drive only after a yes: give "
                                    "--yes (no terminal to ask on)"));
        return false;
    }
    std::fputs("Write these values? [y/N] ", stderr);
    std::fflush(stderr);
    QTextStream in(stdin);
    const QString answer = in.readLine().trimmed().toLower();
    return answer == QLatin1String("y") || answer == QLatin1String("yes");
}

int Undo(CommandLine& line, const QString& word, const CliOptions& options) {
    bool ok = false;
    const qulonglong change = word.toULongLong(&ok);
    if (!ok || change == 0)
        return CommandLine::Complain(QStringLiteral("bad change number: %1").arg(word));
    const std::vector<JournalEntry> entries = ReadJournal().Entries;
    DriveSession session;
    if (const int code = session.Open(line))
        return code;
    if (const int code = session.Connect())
        return code;
    const UndoPlan plan =
        PlanUndo(entries, {change}, ConnectedDrive{session.KindText(), session.Identity()});
    if (plan.Refused()) {
        PrintMessage(plan.Refusal + QStringLiteral("; nothing written"));
        return 2;
    }
    for (const QString& note : plan.Notes)
        PrintMessage(note);
    if (plan.Writes.empty()) {
        PrintMessage(QStringLiteral("change %1 left nothing to take back").arg(change));
        return 0;
    }
    PrintLine(QStringLiteral("%1 writes on %2 address %3 (%4):")
                  .arg(plan.Action, session.PortText())
                  .arg(session.Address())
                  .arg(DescribeDrive(session.KindText(), session.Identity())));
    for (const UndoWrite& write : plan.Writes)
        PrintLine(QStringLiteral("  %1 %2: %3 -> %4")
                      .arg(write.Register)
                      .arg(write.Name)
                      .arg(write.Undone)
                      .arg(write.Value));
    std::fflush(stdout);
    if (!Confirmed(options))
        return 1;
    const UndoOutcome outcome = WriteUndo(session.Driver(), plan);
    for (const QString& left : outcome.LeftOut)
        PrintMessage(left);
    if (!outcome.Ok) {
        PrintMessage(
            QStringLiteral("undo of change %1 failed: %2").arg(change).arg(outcome.Failure));
        return 1;
    }
    return 0;
}

} // namespace

int RunJournal(const QStringList& arguments, const CliOptions& options) {
    CommandLine line("journal", "[undo CHANGE]");
    AddFormatOption(line);
    line.AddValue(QStringLiteral("since"), QStringLiteral("DATE"),
                  QStringLiteral("Entries from DATE on (2026-12-08, 2026-12-08T10:15)."));
    line.AddValue(QStringLiteral("drive"), QStringLiteral("D"),
                  QStringLiteral("Entries of the drives matching D: key=value[,key=value...], "
                                 "keys port, address, kind, model, size, firmware."));
    DriveSession::AddOptions(line);
    if (const auto exit = line.Parse(arguments))
        return *exit;
    const QStringList& words = line.Positional();
    if (words.isEmpty()) {
        const auto format = ReadFormat(line);
        return format ? List(line, *format) : 2;
    }
    if (words.size() == 2 && words[0] == QLatin1String("undo"))
        return Undo(line, words[1], options);
    return line.Usage();
}

} // namespace kelm::cli
