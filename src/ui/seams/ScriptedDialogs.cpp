#include "ui/seams/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QThread>

namespace kelm {

ScriptedDialogs::ScriptedDialogs() {
    previous_ = InstallDialogRunner(this);
}

ScriptedDialogs::~ScriptedDialogs() {
    InstallDialogRunner(previous_);
}

int ScriptedDialogs::Exec(QDialog& dialog) {
    DialogHandler handler;
    if (!handlers_.empty()) {
        handler = std::move(handlers_.front());
        handlers_.pop_front();
    } else if (defaultHandler_) {
        handler = defaultHandler_;
    } else {
        ++unexpected_;
    }
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    QCoreApplication::processEvents();
    if (handler)
        handler(dialog);
    if (dialog.isVisible())
        dialog.done(QDialog::Rejected);
    const int result = dialog.result();
    dialogs_.push_back(
        {QString::fromLatin1(dialog.metaObject()->className()), dialog.windowTitle(), result});
    return result;
}

bool ScriptedDialogs::GetOpenFileName(QWidget*, FileDialogRequest& request) {
    return RunFile(request, false);
}

bool ScriptedDialogs::GetSaveFileName(QWidget*, FileDialogRequest& request) {
    return RunFile(request, true);
}

bool ScriptedDialogs::RunFile(FileDialogRequest& request, bool save) {
    files_.push_back({save, request});
    if (fileHandlers_.empty()) {
        ++unexpected_;
        return false;
    }
    FileHandler handler = std::move(fileHandlers_.front());
    fileHandlers_.pop_front();
    return handler(request);
}

void ScriptedDialogs::OnNextDialog(DialogHandler handler) {
    handlers_.push_back(std::move(handler));
}

void ScriptedDialogs::OnNextFileDialog(FileHandler handler) {
    fileHandlers_.push_back(std::move(handler));
}

void ScriptedDialogs::AnswerNextFile(const QString& path, int filterIndex) {
    OnNextFileDialog([path, filterIndex](FileDialogRequest& request) {
        if (path.isEmpty())
            return false;
        request.FileName = path;
        if (filterIndex > 0)
            request.FilterIndex = filterIndex;
        return true;
    });
}

void ScriptedDialogs::SetDefaultDialogHandler(DialogHandler handler) {
    defaultHandler_ = std::move(handler);
}

bool ScriptedDialogs::WaitClosed(QDialog& dialog, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (dialog.isVisible() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return !dialog.isVisible();
}

} // namespace kelm
