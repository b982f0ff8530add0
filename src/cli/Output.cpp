#include "cli/Output.h"

#include "cli/CommandLine.h"
#include "cli/StderrMessages.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace kelm::cli {
namespace {

QString TsvField(const QJsonValue& value) {
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double: {
        const double number = value.toDouble();
        return number == std::trunc(number) && std::abs(number) < 1e15
                   ? QString::number(static_cast<qint64>(number))
                   : QString::number(number);
    }
    case QJsonValue::String: {
        QString text = value.toString();
        for (QChar& c : text)
            if (c == u'\t' || c == u'\n' || c == u'\r')
                c = u' ';
        return text;
    }
    default:
        return {};
    }
}

int unsavedWrites = 0; // the command runs on the main thread
bool compareExitCodes = false;

} // namespace

void UseCompareExitCodes() {
    compareExitCodes = true;
}

int LostOutputExitCode() {
    return compareExitCodes ? 2 : 1;
}

void NoteUnsavedWrites(int count) {
    unsavedWrites += count;
}

QString UnsavedReminder(int count) {
    return QStringLiteral("%1 parameter %2 written to the drive's RAM only; \"kelmctl eeprom "
                          "save\" keeps %3 after power off")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("register") : QStringLiteral("registers"),
             count == 1 ? QStringLiteral("it") : QStringLiteral("them"));
}

void RemindUnsavedWrites(bool quiet) {
    if (!quiet && unsavedWrites > 0)
        PrintMessage(UnsavedReminder(unsavedWrites));
    unsavedWrites = 0;
}

QString Record::Tsv() const {
    QStringList cells;
    for (const auto& [name, value] : fields_)
        cells << TsvField(value);
    return cells.join(u'\t');
}

QString Record::Json() const {
    QJsonObject object;
    for (const auto& [name, value] : fields_)
        object.insert(name, value);
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

void AddFormatOption(CommandLine& line) {
    line.AddValue(QStringLiteral("format"), QStringLiteral("F"),
                  QStringLiteral("tsv or json: one record per line for a script."));
}

std::optional<OutputFormat> ReadFormat(const CommandLine& line) {
    if (!line.IsSet(QStringLiteral("format")))
        return OutputFormat::Text;
    const QString word = line.Value(QStringLiteral("format"));
    if (word == QLatin1String("tsv"))
        return OutputFormat::Tsv;
    if (word == QLatin1String("json"))
        return OutputFormat::Json;
    CommandLine::Complain(QStringLiteral("--format takes tsv or json, not \"%1\"").arg(word));
    return std::nullopt;
}

void PrintRecord(OutputFormat format, const Record& record) {
    PrintLine(format == OutputFormat::Json ? record.Json() : record.Tsv());
}

void PrintLine(const QString& text) {
    std::fputs(text.toLocal8Bit().append('\n').constData(), stdout);
}

bool FinishOutput() {
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    const int reason = errno;
    if (flushed && std::ferror(stdout) == 0)
        return true;
    PrintMessage(QStringLiteral("the results could not be written to standard output%1")
                     .arg(reason != 0
                              ? QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(reason))
                              : QString()));
    return false;
}

} // namespace kelm::cli
