#include "ui/seams/DialogRunner.h"

#include <QDialog>
#include <QFileDialog>
#include <QStringList>

namespace kelm {
namespace {

RealDialogRunner realRunner;
DialogRunner* currentRunner = &realRunner;

} // namespace

DialogRunner* InstallDialogRunner(DialogRunner* runner) {
    DialogRunner* previous = currentRunner;
    currentRunner = runner ? runner : &realRunner;
    return previous == &realRunner ? nullptr : previous;
}

DialogRunner& Dialogs() {
    return *currentRunner;
}

int RealDialogRunner::Exec(QDialog& dialog) {
    return dialog.exec();
}

bool RealDialogRunner::GetOpenFileName(QWidget* parent, FileDialogRequest& request) {
    return RunFileDialog(parent, request, false);
}

bool RealDialogRunner::GetSaveFileName(QWidget* parent, FileDialogRequest& request) {
    return RunFileDialog(parent, request, true);
}

bool RealDialogRunner::RunFileDialog(QWidget* parent, FileDialogRequest& request, bool save) {
    QFileDialog dialog(parent, request.Caption, request.InitialDir);
    const QStringList filters = request.Filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    dialog.setNameFilters(filters);
    if (request.FilterIndex >= 1 && request.FilterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(request.FilterIndex - 1));
    dialog.setDefaultSuffix(request.DefaultExtension);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save && !request.ConfirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.FileName.isEmpty())
        dialog.selectFile(request.FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    request.FileName = dialog.selectedFiles().constFirst();
    const int index = filters.indexOf(dialog.selectedNameFilter());
    if (index >= 0)
        request.FilterIndex = index + 1;
    return true;
}

} // namespace kelm
