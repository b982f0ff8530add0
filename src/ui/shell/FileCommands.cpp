// Device parameter files of the main window: Open, Save, Save As and the save offer.
#include "ui/shell/CommandController.h"

#include "core/drive/DriveOwnedRegisters.h"
#include "core/drive/TDriver.h"
#include "core/files/DeviceFile.h"
#include "core/params/LimitCheck.h"
#include "core/seams/Messages.h"
#include "core/settings/SettingsStore.h"
#include "ui/seams/DialogRunner.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ProgramSession.h"

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

void CommandController::SetFileDialogsForDevice() {
    const DeviceKind kind = session_.Driver().CurrentKind();
    deviceExtension_ = DeviceFileTypeOf(kind).Extension.mid(1);
    deviceFilterIndex_ = KindIndex(kind) + 1;
}

void CommandController::PromptSaveCurrent() {
    const TDriver& driver = session_.Driver();
    if (!ShouldOfferSave(driver.ActiveTable(), driver.CurrentFileName))
        return;
    if (AskConfirm(SaveOfferText(driver.CurrentKind(), driver.CurrentFileName)))
        Save();
}

void CommandController::OpenDeviceFile() {
    PromptSaveCurrent();
    TDriver& driver = session_.Driver();
    SettingsStore& settings = session_.Settings();
    FileDialogRequest request;
    request.Filter = fileFilter_;
    request.DefaultExtension = deviceExtension_;
    request.FilterIndex = deviceFilterIndex_;
    request.InitialDir = settings.DevicesFolder;
    if (!Dialogs().GetOpenFileName(window_.Window(), request))
        return;
    const QString path = request.FileName;
    if (!HasExtension(path, deviceExtension_)) {
        ShowDifferentExtensions(path);
        return;
    }
    window_.CloseChildWindows({.Pages = true, .Profile = true});
    settings.DevicesFolder = FolderOf(path);
    const bool online = driver.Online();
    if (!kelm::OpenDeviceFile(driver.ActiveTable(), driver.CurrentKind(), path, online))
        return;
    driver.CurrentFileName = path;
    window_.ShowDeviceFileName();
    if (online)
        ConfirmValuesOutsideLimits(driver.ActiveTable(), driver.CurrentKind());
    // On line the values just read go to the drive; off line OpenDeviceFile has made them
    // the drive-value column so that nothing shows as unwritten.
    if (online)
        RunTransfer(ProgressMode::WriteTable);
    window_.Children().NotifyTableChanged();
}

void CommandController::Save() {
    TDriver& driver = session_.Driver();
    if (driver.CurrentFileName.isEmpty()) {
        SaveAs();
        return;
    }
    if (SaveDeviceFile(driver.ActiveTable(), driver.CurrentKind(), driver.CurrentFileName))
        window_.ShowDeviceFileName();
}

void CommandController::SaveAs() {
    TDriver& driver = session_.Driver();
    FileDialogRequest request;
    request.Filter = fileFilter_;
    request.DefaultExtension = deviceExtension_;
    request.FilterIndex = deviceFilterIndex_;
    request.InitialDir = session_.Settings().DevicesFolder;
    if (!driver.CurrentFileName.isEmpty())
        request.FileName = QFileInfo(driver.CurrentFileName).fileName();
    if (!Dialogs().GetSaveFileName(window_.Window(), request))
        return;
    const QString path = request.FileName;
    if (!HasExtension(path, deviceExtension_)) {
        ShowDifferentExtensions(path);
        return;
    }
    if (SaveDeviceFile(driver.ActiveTable(), driver.CurrentKind(), path)) {
        driver.CurrentFileName = path;
        window_.ShowDeviceFileName();
    }
    session_.Settings().DevicesFolder = FolderOf(path);
}

} // namespace kelm
