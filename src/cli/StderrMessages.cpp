#include "cli/StderrMessages.h"

#include <QStringList>
#include <cstdio>
#include <mutex>

namespace kelm::cli {
namespace {
std::mutex printMutex;
} // namespace

void PrintMessage(const QString& text) {
    const QByteArray bytes =
        QStringLiteral("kelmctl: %1\n").arg(StderrMessages::PrintedText(text)).toLocal8Bit();
    const std::lock_guard lock(printMutex);
    std::fflush(stdout); // keep the order of stdout and stderr lines
    std::fputs(bytes.constData(), stderr);
    std::fflush(stderr);
}

StderrMessages::StderrMessages(bool answerYes) : answerYes_(answerYes) {
    previous_ = InstallMessageSink(this);
}

StderrMessages::~StderrMessages() {
    InstallMessageSink(previous_);
}

QString StderrMessages::PrintedText(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(u'\r', u'\n');
    QStringList kept;
    for (const QString& line : lines.split(u'\n'))
        if (!line.trimmed().isEmpty())
            kept << line.trimmed();
    return kept.join(QStringLiteral(" / "));
}

void StderrMessages::ShowBox(const QString&, const QString& text, MessageIcon) {
    ++boxes_;
    PrintMessage(text);
}

bool StderrMessages::AskYesNo(const QString&, const QString& text) {
    ++boxes_;
    PrintMessage(PrintedText(text) + (answerYes_ ? QStringLiteral(" -> Yes")
                                                 : QStringLiteral(" -> No (--yes answers Yes)")));
    return answerYes_;
}

} // namespace kelm::cli
