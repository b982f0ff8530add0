#pragma once

#include "core/seams/Messages.h"

#include <QObject>
#include <QPointer>

#include <QWidget>

namespace kelm {

// The desktop program's message sink: QMessageBox with the given caption and icon, "\r"
// as a line break. Lives in the user-interface thread; a call from another thread (the
// drive worker's "Device not Respondig") is carried to the user-interface thread with a
// blocking queued call, so the box appears there and the caller waits until it is closed.
// Boxes run through Dialogs(), so tests can answer them. RequestTerminate quits the
// application (queued, so it also works before the event loop runs).
class MessageBoxSink final : public QObject, public MessageSink {
    Q_OBJECT
public:
    explicit MessageBoxSink(QObject* parent = nullptr);
    ~MessageBoxSink() override;

    // Installs this sink for the helpers of Messages.h; the destructor uninstalls it.
    void Install();
    // Window the boxes are centred on (the main window); may be null.
    void SetParentWidget(QWidget* parent) { parentWidget_ = parent; }

    void Beep() override;
    void ShowBox(const QString& caption, const QString& text, MessageIcon icon) override;
    bool AskYesNo(const QString& caption, const QString& text) override;
    MessageAnswer AskYesNoCancel(const QString& caption, const QString& text) override;
    void RequestTerminate() override;

    // "\r\n" and lone "\r" become "\n". A path (a word holding '/' or '\\') may break
    // after each separator and nowhere else, so a long one wraps at its folders.
    static QString BoxText(const QString& text);
    // The text again without those break marks (what a copy from the box gives).
    static QString WithoutBreakMarks(const QString& text);

private:
    void RunOnUiThread(const std::function<void()>& fn);
    void ShowBoxHere(const QString& caption, const QString& text, MessageIcon icon);
    bool AskYesNoHere(const QString& caption, const QString& text);

    QPointer<QWidget> parentWidget_;
    bool installed_ = false;
    MessageSink* previous_ = nullptr;
};

} // namespace kelm
