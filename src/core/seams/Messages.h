#pragma once

#include <QString>

namespace kelm {

enum class MessageIcon { None, Error, Question, Information, Warning };
enum class MessageAnswer { Yes, No, Cancel };

// The one way the core reaches a person. The desktop program installs a message-box
// implementation, tests install a recorder, the command-line front end prints to stderr.
// Implementations must be callable from any thread; a window implementation shows the box
// on the user-interface thread and blocks the caller until it is closed.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void Beep() = 0;
    // A modal box with an OK button. "\r" in text is a line break.
    virtual void ShowBox(const QString& caption, const QString& text, MessageIcon icon) = 0;
    // A modal box with Yes and No; true for Yes.
    virtual bool AskYesNo(const QString& caption, const QString& text) = 0;
    // A modal box with Yes, No and Cancel. A sink without it asks Yes or No.
    virtual MessageAnswer AskYesNoCancel(const QString& caption, const QString& text) {
        return AskYesNo(caption, text) ? MessageAnswer::Yes : MessageAnswer::No;
    }
    // The program must end (fatal configuration error). The sink decides how.
    virtual void RequestTerminate() = 0;
};

// Installs the sink used by the helpers below; nullptr restores the silent default.
// Returns the previous sink.
MessageSink* InstallMessageSink(MessageSink* sink);
MessageSink& Messages();

// Beep, then " Error" (leading blank) with the stop icon and OK.
void ShowError(const QString& text);
// Beep, then "Confirm" with the question icon, Yes/No; true for Yes.
bool AskConfirm(const QString& text);
// As AskConfirm, with Yes, No and Cancel.
MessageAnswer AskConfirmOrCancel(const QString& text);
// ShowError with "Different File Extensions\r" + file name + "\rFile not processed!".
void ShowDifferentExtensions(const QString& fileName);
// Plain information box ("Data Saved !").
void ShowInfo(const QString& text);
void Beep();
// Asks the program to end; also remembered so that a constructor can stop early.
void RequestTerminate();
bool TerminateRequested();
void ClearTerminateRequest();

} // namespace kelm
