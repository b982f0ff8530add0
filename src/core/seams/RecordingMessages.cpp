#include "core/seams/RecordingMessages.h"

namespace kelm {

RecordingMessages::RecordingMessages() {
    previous_ = InstallMessageSink(this);
    ClearTerminateRequest();
}

RecordingMessages::~RecordingMessages() {
    InstallMessageSink(previous_);
    ClearTerminateRequest();
}

void RecordingMessages::Beep() {
    std::lock_guard lock(mutex_);
    ++beeps_;
}

void RecordingMessages::ShowBox(const QString& caption, const QString& text, MessageIcon icon) {
    std::lock_guard lock(mutex_);
    boxes_.push_back({caption, text, icon, false});
}

bool RecordingMessages::AskYesNo(const QString& caption, const QString& text) {
    std::lock_guard lock(mutex_);
    boxes_.push_back({caption, text, MessageIcon::Question, true});
    if (answers_.empty())
        return defaultAnswer_;
    const bool answer = answers_.front();
    answers_.pop_front();
    return answer;
}

MessageAnswer RecordingMessages::AskYesNoCancel(const QString& caption, const QString& text) {
    {
        std::lock_guard lock(mutex_);
        if (!choices_.empty()) {
            boxes_.push_back({caption, text, MessageIcon::Question, true});
            const MessageAnswer choice = choices_.front();
            choices_.pop_front();
            return choice;
        }
    }
    return AskYesNo(caption, text) ? MessageAnswer::Yes : MessageAnswer::No;
}

void RecordingMessages::ScriptChoices(std::initializer_list<MessageAnswer> choices) {
    std::lock_guard lock(mutex_);
    choices_.insert(choices_.end(), choices.begin(), choices.end());
}

void RecordingMessages::RequestTerminate() {
    std::lock_guard lock(mutex_);
    ++terminates_;
}

void RecordingMessages::ScriptAnswers(std::initializer_list<bool> answers) {
    std::lock_guard lock(mutex_);
    answers_.insert(answers_.end(), answers.begin(), answers.end());
}

void RecordingMessages::SetDefaultAnswer(bool answer) {
    std::lock_guard lock(mutex_);
    defaultAnswer_ = answer;
}

std::vector<RecordingMessages::Box> RecordingMessages::Boxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
}

QStringList RecordingMessages::Texts() const {
    std::lock_guard lock(mutex_);
    QStringList texts;
    for (const Box& box : boxes_)
        texts << box.Text;
    return texts;
}

int RecordingMessages::BeepCount() const {
    std::lock_guard lock(mutex_);
    return beeps_;
}

int RecordingMessages::TerminateCount() const {
    std::lock_guard lock(mutex_);
    return terminates_;
}

void RecordingMessages::Clear() {
    std::lock_guard lock(mutex_);
    boxes_.clear();
    answers_.clear();
    choices_.clear();
    beeps_ = 0;
    terminates_ = 0;
}

} // namespace kelm
