#pragma once

#include <QString>

class QDialog;
class QWidget;

namespace kelm {

// One open or save file dialog: what the caller asks for and, after an accepted dialog,
// what the user chose.
struct FileDialogRequest {
    QString Caption;
    // Qt name filters separated by ";;", e.g. "Device Files (*.dev);;All Files (*)".
    QString Filter;
    // Extension without the dot, appended to a typed name that has none ("dev").
    QString DefaultExtension;
    // Folder the dialog starts in.
    QString InitialDir;
    // Suggested file name in; chosen full path out.
    QString FileName;
    // 1-based index of the selected filter, in and out.
    int FilterIndex = 1;
    // Save dialogs only: ask before overwriting an existing file.
    bool ConfirmOverwrite = true;
};

// Every modal dialog and file dialog of the program runs through this interface so that
// tests can drive them without a real modal loop. The program installs the real runner;
// tests install ScriptedDialogs.
class DialogRunner {
public:
    virtual ~DialogRunner() = default;
    // Runs the dialog modally; returns its result code (QDialog::Accepted, Rejected or a
    // value given to done()).
    virtual int Exec(QDialog& dialog) = 0;
    // true when the user chose a file; request.FileName and FilterIndex are then set.
    virtual bool GetOpenFileName(QWidget* parent, FileDialogRequest& request) = 0;
    virtual bool GetSaveFileName(QWidget* parent, FileDialogRequest& request) = 0;
};

// Installs the runner used by Dialogs(); nullptr restores the real one. Returns the
// previous runner (nullptr for the real one). User-interface thread only.
DialogRunner* InstallDialogRunner(DialogRunner* runner);
DialogRunner& Dialogs();

// The real runner: QDialog::exec and QFileDialog.
class RealDialogRunner final : public DialogRunner {
public:
    int Exec(QDialog& dialog) override;
    bool GetOpenFileName(QWidget* parent, FileDialogRequest& request) override;
    bool GetSaveFileName(QWidget* parent, FileDialogRequest& request) override;

private:
    bool RunFileDialog(QWidget* parent, FileDialogRequest& request, bool save);
};

} // namespace kelm
