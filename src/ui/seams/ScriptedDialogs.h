#pragma once

#include "ui/seams/DialogRunner.h"

#include <QString>
#include <deque>
#include <functional>
#include <vector>

namespace kelm {

// Dialog runner for tests: never enters a modal loop. Exec shows the dialog (non-modal,
// so show events run), calls the next scripted handler with it, and returns the dialog's
// result; a handler sets fields and calls accept(), reject() or done(code). A dialog still
// open after its handler is rejected. Without a handler the dialog is rejected and the call
// is counted as unexpected. File dialogs answer from their own script: the handler fills
// request.FileName (and FilterIndex) and returns true, or returns false for Cancel.
// Installs itself on construction, restores the previous runner on destruction.
class ScriptedDialogs final : public DialogRunner {
public:
    using DialogHandler = std::function<void(QDialog&)>;
    using FileHandler = std::function<bool(FileDialogRequest&)>;

    struct ExecRecord {
        QString ClassName; // metaObject()->className()
        QString Title;     // windowTitle()
        int Result = 0;
    };
    struct FileRecord {
        bool Save = false;
        FileDialogRequest Request; // as asked, before the handler changed it
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    int Exec(QDialog& dialog) override;
    bool GetOpenFileName(QWidget* parent, FileDialogRequest& request) override;
    bool GetSaveFileName(QWidget* parent, FileDialogRequest& request) override;

    void OnNextDialog(DialogHandler handler);
    void OnNextFileDialog(FileHandler handler);
    // Convenience: the next file dialog answers with this path (or Cancel when empty).
    void AnswerNextFile(const QString& path, int filterIndex = 0);
    // Handler used when the script is empty (instead of counting the call as unexpected).
    void SetDefaultDialogHandler(DialogHandler handler);

    const std::vector<ExecRecord>& Executed() const { return dialogs_; }
    const std::vector<FileRecord>& Files() const { return files_; }
    int UnexpectedCount() const { return unexpected_; }
    int PendingCount() const { return static_cast<int>(handlers_.size() + fileHandlers_.size()); }

    // Processes events until the dialog is hidden or the time is up (for dialogs that close
    // themselves, e.g. from a timer). Returns true when it closed.
    static bool WaitClosed(QDialog& dialog, int timeoutMs);

private:
    bool RunFile(FileDialogRequest& request, bool save);

    std::deque<DialogHandler> handlers_;
    std::deque<FileHandler> fileHandlers_;
    DialogHandler defaultHandler_;
    std::vector<ExecRecord> dialogs_;
    std::vector<FileRecord> files_;
    int unexpected_ = 0;
    DialogRunner* previous_ = nullptr;
};

} // namespace kelm
