#pragma once

#include "core/seams/Messages.h"

#include <QStringList>
#include <deque>
#include <mutex>

namespace kelm {

// Message sink for tests and scripted runs: records every box, answers questions from a
// script (default answer when the script is empty). Thread-safe.
class RecordingMessages final : public MessageSink {
public:
    struct Box {
        QString Caption;
        QString Text;
        MessageIcon Icon;
        bool Question;
    };

    RecordingMessages();           // installs itself
    ~RecordingMessages() override; // restores the previous sink
    RecordingMessages(const RecordingMessages&) = delete;
    RecordingMessages& operator=(const RecordingMessages&) = delete;

    void Beep() override;
    void ShowBox(const QString& caption, const QString& text, MessageIcon icon) override;
    bool AskYesNo(const QString& caption, const QString& text) override;
    // Takes the next scripted choice; without one, the Yes/No script decides.
    MessageAnswer AskYesNoCancel(const QString& caption, const QString& text) override;
    void RequestTerminate() override;

    void ScriptAnswers(std::initializer_list<bool> answers);
    void SetDefaultAnswer(bool answer);
    void ScriptChoices(std::initializer_list<MessageAnswer> choices);

    std::vector<Box> Boxes() const;
    QStringList Texts() const; // texts of every box, questions included, in order
    int BeepCount() const;
    int TerminateCount() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<Box> boxes_;
    std::deque<bool> answers_;
    std::deque<MessageAnswer> choices_;
    bool defaultAnswer_ = false;
    int beeps_ = 0;
    int terminates_ = 0;
    MessageSink* previous_ = nullptr;
};

} // namespace kelm
