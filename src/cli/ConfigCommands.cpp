// kelmctl check-config: loads every configuration file the way the program does at start.
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/StderrMessages.h"
#include "core/config/ConfigurationSet.h"
#include "core/seams/Messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

namespace kelm::cli {
namespace {

QString WithSlash(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

// With --format the messages are the results: one record {record: "message", severity,
// text} each on stdout, in place of the lines on stderr.
class MessageRecords final : public MessageSink {
public:
    explicit MessageRecords(OutputFormat format) : format_(format) {
        if (format_ != OutputFormat::Text)
            previous_ = InstallMessageSink(this);
    }
    ~MessageRecords() override {
        if (format_ != OutputFormat::Text)
            InstallMessageSink(previous_);
    }
    MessageRecords(const MessageRecords&) = delete;
    MessageRecords& operator=(const MessageRecords&) = delete;

    void Beep() override {}
    void ShowBox(const QString&, const QString& text, MessageIcon icon) override {
        PrintRecord(format_, Record()
                                 .Add(QStringLiteral("record"), QStringLiteral("message"))
                                 .Add(QStringLiteral("severity"), Severity(icon))
                                 .Add(QStringLiteral("text"), StderrMessages::PrintedText(text)));
    }
    bool AskYesNo(const QString& caption, const QString& text) override {
        return previous_->AskYesNo(caption, text);
    }
    void RequestTerminate() override { previous_->RequestTerminate(); }

private:
    static QString Severity(MessageIcon icon) {
        switch (icon) {
        case MessageIcon::Error:
            return QStringLiteral("error");
        case MessageIcon::Warning:
            return QStringLiteral("warning");
        case MessageIcon::Question:
            return QStringLiteral("question");
        case MessageIcon::Information:
        case MessageIcon::None:
            break;
        }
        return QStringLiteral("information");
    }

    OutputFormat format_;
    MessageSink* previous_ = nullptr;
};

} // namespace

// Without BINDIR the installation folder is the executable's folder and the files are read
// from its "Bin/". With BINDIR the files are read from BINDIR and the installation folder
// is its parent. The devices folder, which the program creates at start, is a temporary
// folder here, so a check never writes into an installation.
// The messages the program would show go to stderr (through the message sink); stdout gets
// one line per file read with what it gave (registers, alarms, strings ...), so that a file
// cut short shows. With --format both are records on stdout: {record: "message", severity,
// text} and {record: "file", file, summary}. The exit code is 1 when a message would end
// the program.
int RunCheckConfig(const QStringList& words, const CliOptions&) {
    CommandLine line("check-config", "[BINDIR]", CommandLine::Port::Unused);
    AddFormatOption(line);
    if (const auto exit = line.Parse(words))
        return *exit;
    const QStringList& arguments = line.Positional();
    if (arguments.size() > 1)
        return line.Usage();
    ConfigurationSet set;
    QString installFolder = WithSlash(QCoreApplication::applicationDirPath());
    if (!arguments.isEmpty()) {
        const QString binFolder = QDir::cleanPath(QFileInfo(arguments.first()).absoluteFilePath());
        if (!QFileInfo(binFolder).isDir()) {
            std::fprintf(stderr, "kelmctl: %s is not a folder\n",
                         arguments.first().toLocal8Bit().constData());
            return 2;
        }
        installFolder = WithSlash(QFileInfo(binFolder).path());
        set.SetConfigFolder(binFolder);
    }
    QTemporaryDir devices;
    if (!devices.isValid()) {
        std::fprintf(stderr, "kelmctl: cannot create a temporary folder\n");
        return 2;
    }
    ClearTerminateRequest();
    const OutputFormat format = ReadFormat(line).value_or(OutputFormat::Text);
    const MessageRecords records(format);
    if (set.LoadAtDriverStart(installFolder, WithSlash(devices.path()) + "Data/Devices/")) {
        set.LoadAtMainWindowCreation(installFolder);
        set.LoadAtMainWindowShow(installFolder);
    }
    for (const QString& summary : set.Summary()) {
        if (format == OutputFormat::Text) {
            PrintLine(summary);
            continue;
        }
        const qsizetype colon = summary.indexOf(QLatin1String(": "));
        PrintRecord(format, Record()
                                .Add(QStringLiteral("record"), QStringLiteral("file"))
                                .Add(QStringLiteral("file"), summary.left(colon))
                                .Add(QStringLiteral("summary"), summary.mid(colon + 2)));
    }
    if (!FinishOutput())
        return 1;
    return TerminateRequested() ? 1 : 0;
}

} // namespace kelm::cli
