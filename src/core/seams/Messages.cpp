#include "core/seams/Messages.h"

#include <atomic>

namespace kelm {
namespace {

class SilentSink final : public MessageSink {
public:
    void Beep() override {}
    void ShowBox(const QString&, const QString&, MessageIcon) override {}
    bool AskYesNo(const QString&, const QString&) override { return false; }
    void RequestTerminate() override {}
};

SilentSink silentSink;
std::atomic<MessageSink*> currentSink{&silentSink};
std::atomic<bool> terminateRequested{false};

} // namespace

MessageSink* InstallMessageSink(MessageSink* sink) {
    MessageSink* previous = currentSink.exchange(sink ? sink : &silentSink);
    return previous == &silentSink ? nullptr : previous;
}

MessageSink& Messages() {
    return *currentSink.load();
}

void ShowError(const QString& text) {
    Messages().Beep();
    Messages().ShowBox(QStringLiteral(" Error"), text, MessageIcon::Error);
}

bool AskConfirm(const QString& text) {
    Messages().Beep();
    return Messages().AskYesNo(QStringLiteral("Confirm"), text);
}

MessageAnswer AskConfirmOrCancel(const QString& text) {
    Messages().Beep();
    return Messages().AskYesNoCancel(QStringLiteral("Confirm"), text);
}

void ShowDifferentExtensions(const QString& fileName) {
    ShowError(QStringLiteral("Different File Extensions\r") + fileName +
              QStringLiteral("\rFile not processed!"));
}

void ShowInfo(const QString& text) {
    Messages().ShowBox(QString(), text, MessageIcon::None);
}

void Beep() {
    Messages().Beep();
}

void RequestTerminate() {
    terminateRequested = true;
    Messages().RequestTerminate();
}

bool TerminateRequested() {
    return terminateRequested;
}

void ClearTerminateRequest() {
    terminateRequested = false;
}

} // namespace kelm
