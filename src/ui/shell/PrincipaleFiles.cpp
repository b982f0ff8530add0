// Device parameter files of the main window: Open, Save, Save As and the save offer.
#include "ui/shell/Principale.h"

#include "core/drive/DriveOwnedRegisters.h"
#include "core/drive/TDriver.h"
#include "core/files/DeviceFile.h"
#include "core/params/LimitCheck.h"
#include "core/seams/Messages.h"
#include "core/settings/SettingsStore.h"
#include "ui/seams/DialogRunner.h"

#include <QFileInfo>

namespace kelm {
namespace {

QString FolderOf(const QString& path) {
    return QFileInfo(path).absolutePath() + QLatin1Char('/');
}

// Values of the file that lie outside their limits go to the drive only after a Yes; a No
// keeps the drive's own values for them.
void ConfirmValuesOutsideLimits(ParamTable& table, DeviceKind kind) {
    const auto outside = ValuesOutsideLimits(
        table, [kind](const ParamEntry& e) { return IsSentByTableWrite(kind, e); });
    if (outside.empty())
        return;
    const QString question = QStringLiteral("Values outside their limits:\r") +
                             OutOfLimitLines(outside) +
                             QStringLiteral("\rWrite them to the drive?\r"
                                            "(No keeps the drive's values for them.)");
    if (!AskConfirm(question))
        KeepDriveValues(table, outside);
}

} // namespace

void TFPrincipale::SetFileDialogsForDevice() {
    const DeviceKind kind = driver_ ? driver_->CurrentKind() : DeviceKind::Std;
    deviceExtension_ = DeviceFileTypeOf(kind).Extension.mid(1);
    deviceFilterIndex_ = KindIndex(kind) + 1;
}

void TFPrincipale::PromptSaveCurrent() {
    const ParamTable& table = driver_->ActiveTable();
    if (!ShouldOfferSave(table, driver_->CurrentFileName))
        return;
    if (AskConfirm(SaveOfferText(driver_->CurrentKind(), driver_->CurrentFileName)))
        SaveCommand();
}

void TFPrincipale::OpenDeviceFileCommand() {
    PromptSaveCurrent();
    FileDialogRequest request;
    request.Filter = fileFilter_;
    request.DefaultExtension = deviceExtension_;
    request.FilterIndex = deviceFilterIndex_;
    request.InitialDir = settings_->DevicesFolder;
    if (!Dialogs().GetOpenFileName(this, request))
        return;
    const QString path = request.FileName;
    if (!HasExtension(path, deviceExtension_)) {
        ShowDifferentExtensions(path);
        return;
    }
    CloseChildWindows(true, true);
    settings_->DevicesFolder = FolderOf(path);
    const bool online = driver_->Online();
    if (!OpenDeviceFile(driver_->ActiveTable(), driver_->CurrentKind(), path, online))
        return;
    driver_->CurrentFileName = path;
    ShowDeviceFileName();
    if (online)
        ConfirmValuesOutsideLimits(driver_->ActiveTable(), driver_->CurrentKind());
    // On line the values just read go to the drive; off line OpenDeviceFile has made them
    // the drive-value column so that nothing shows as unwritten.
    if (online)
        RunTransfer('W');
    children_.NotifyTableChanged();
}

void TFPrincipale::SaveCommand() {
    if (driver_->CurrentFileName.isEmpty()) {
        SaveAsCommand();
        return;
    }
    if (SaveDeviceFile(driver_->ActiveTable(), driver_->CurrentKind(), driver_->CurrentFileName))
        ShowDeviceFileName();
}

void TFPrincipale::SaveAsCommand() {
    FileDialogRequest request;
    request.Filter = fileFilter_;
    request.DefaultExtension = deviceExtension_;
    request.FilterIndex = deviceFilterIndex_;
    request.InitialDir = settings_->DevicesFolder;
    if (!driver_->CurrentFileName.isEmpty())
        request.FileName = QFileInfo(driver_->CurrentFileName).fileName();
    if (!Dialogs().GetSaveFileName(this, request))
        return;
    const QString path = request.FileName;
    if (!HasExtension(path, deviceExtension_)) {
        ShowDifferentExtensions(path);
        return;
    }
    if (SaveDeviceFile(driver_->ActiveTable(), driver_->CurrentKind(), path)) {
        driver_->CurrentFileName = path;
        ShowDeviceFileName();
    }
    settings_->DevicesFolder = FolderOf(path);
}

} // namespace kelm
