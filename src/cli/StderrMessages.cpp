#include "cli/StderrMessages.h"

#include <cstdio>
#include <mutex>

namespace kelm::cli {
namespace {
std::mutex printMutex;
} // namespace

StderrMessages::StderrMessages(bool answerYes) : answerYes_(answerYes) {
    previous_ = InstallMessageSink(this);
}

StderrMessages::~StderrMessages() {
    InstallMessageSink(previous_);
}

QString StderrMessages::PrintedText(const QString& text) {
    QString printed = text;
    printed.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    printed.replace(u'\r', u'\n');
    return printed;
}

void StderrMessages::Print(const QString& text) {
    const std::lock_guard lock(printMutex);
    std::fflush(stdout); // keep the order of stdout and stderr lines
    ++boxes_;
    const QByteArray bytes = PrintedText(text).toLocal8Bit();
    std::fprintf(stderr, "%s\n\n", bytes.constData());
    std::fflush(stderr);
}

void StderrMessages::ShowBox(const QString&, const QString& text, MessageIcon) {
    Print(text);
}

bool StderrMessages::AskYesNo(const QString&, const QString& text) {
    Print(text + (answerYes_ ? QStringLiteral("\r-> Yes") : QStringLiteral("\r-> No")));
    return answerYes_;
}

} // namespace kelm::cli
