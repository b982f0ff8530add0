#pragma once

#include "core/seams/Messages.h"

#include <atomic>

namespace kelm::cli {

// Prints one message on stderr as one line starting "kelmctl: "; the line breaks of a box
// text ("\r", "\r\n", "\n") become " / ", empty lines are dropped.
void PrintMessage(const QString& text);

// Message sink of the command-line front end: every box's text goes to stderr as one
// message line (PrintMessage). Questions are printed the same way with the answer, No, or
// Yes with --yes. A termination request is remembered for the exit code.
class StderrMessages final : public MessageSink {
public:
    explicit StderrMessages(bool answerYes);
    ~StderrMessages() override; // restores the previous sink
    StderrMessages(const StderrMessages&) = delete;
    StderrMessages& operator=(const StderrMessages&) = delete;

    void Beep() override {}
    void ShowBox(const QString& caption, const QString& text, MessageIcon icon) override;
    bool AskYesNo(const QString& caption, const QString& text) override;
    void RequestTerminate() override { terminateRequested_ = true; }

    bool TerminateRequested() const { return terminateRequested_; }
    int BoxCount() const { return boxes_; }

    // The text as printed, without the prefix.
    static QString PrintedText(const QString& text);

private:
    bool answerYes_;
    std::atomic<bool> terminateRequested_{false};
    std::atomic<int> boxes_{0};
    MessageSink* previous_ = nullptr;
};

} // namespace kelm::cli
