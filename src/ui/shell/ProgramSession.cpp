#include "ui/shell/ProgramSession.h"

#include "core/config/ConfigurationSet.h"
#include "core/drive/SynchronizedCaller.h"
#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "core/link/PortChannel.h"
#include "core/link/PortNames.h"
#include "core/rules/UnitIdentity.h"
#include "core/seams/Messages.h"
#include "core/settings/DevicesFolder.h"
#include "core/settings/SettingsStore.h"
#include "ui/drive/TFConnectD.h"

#include <utility>

namespace kelm {

ProgramSession::ProgramSession(SessionOptions options, SessionWindowCalls window, QObject* parent)
    : QObject(parent), window_(std::move(window)) {
    settings_ = std::make_unique<SettingsStore>(
        options.ExecutableFolder.isEmpty() ? SettingsStore::DefaultExecutableFolder()
                                           : options.ExecutableFolder,
        options.SettingsFile.isEmpty() ? SettingsStore::DefaultSettingsFile()
                                       : options.SettingsFile);
    caller_ = new SynchronizedCaller(
        [this] {
            if (driver_)
                driver_->PauseElapsed();
        },
        this);
    // The master exists before the drive model that refers to it; it opens nothing until a
    // drive is selected.
    auto channel = options.MakeChannel ? options.MakeChannel() : std::make_unique<PortChannel>();
    SettingsStore* store = settings_.get();
    PortNames names([store](int com) { return store->PortPath(com); });
    master_ = std::make_unique<ModbusMaster>(
        std::move(channel), [names](std::uint8_t com) { return names.DevicePath(com); });
    // The transfer progress dialog steps aside while the master reports a silent drive.
    TFConnectD::InstallMasterHook(*master_);
    driver_ = std::make_unique<TDriver>(*this, *master_);
    // Every write is journalled; a journal that cannot be written is said once, in a box.
    journal_ = std::make_unique<WriteJournal>(
        Journal::Options{JournalPath()}, QStringLiteral("kelmdrive"),
        [this](const UnitInUse& unit) {
            const std::lock_guard lock(journalMutex_);
            return JournalContextOf(unit, journalIdentity_, journalLevel_, journalPort_);
        },
        [this](const QString& note) {
            QMetaObject::invokeMethod(
                this, [note] { ShowError(note); }, Qt::QueuedConnection);
        });
    driver_->SetWriteRecorder([this](const WriteRecord& record) { journal_->Record(record); });
    // The status bar shows what is not saved to EEPROM; the worker's writes reach it later.
    unsaved_.SetListener([this] {
        QMetaObject::invokeMethod(
            this, [this] { emit Changed(); }, Qt::QueuedConnection);
    });
    driver_->AddWriteRecorder([this](const WriteRecord& record) { unsaved_.Record(record); });
    FallBackToDefaultDevicesFolder(*settings_);
    driver_->Initialize(settings_->InstallFolder, settings_->DevicesFolder);
    // Analog-out labels (never fatal).
    if (!TerminateRequested())
        driver_->Config().LoadAtMainWindowCreation(settings_->InstallFolder);
}

ProgramSession::~ProgramSession() {
    if (master_)
        master_->ClosePort();
    driver_.reset();
    journal_.reset();
    master_.reset();
    settings_.reset();
}

void ProgramSession::RunSynchronized(const std::function<void()>& fn) {
    caller_->Run(fn);
}

void ProgramSession::ConfigureForDevice() {
    {
        // The journal names the port in use; the worker reads it while it writes.
        const std::lock_guard lock(journalMutex_);
        const PortNames names([this](int com) { return settings_->PortPath(com); });
        journalPort_ = names.DevicePath(master_->GetPort());
        // The identity as read with the table, kept for the writes of this connection.
        journalIdentity_ = IdentityOf(driver_->CurrentKind(), driver_->ActiveTable());
    }
    if (window_.ConfigureForDevice)
        window_.ConfigureForDevice();
}

void ProgramSession::CloseChildWindows(WindowsToClose windows) {
    if (window_.CloseChildWindows)
        window_.CloseChildWindows(windows);
}

void ProgramSession::StartPauseTimer(int intervalMs) {
    caller_->StartPause(intervalMs);
}

void ProgramSession::StopPauseTimer() {
    caller_->StopPause();
}

void ProgramSession::ProcessEvents() {
    SynchronizedCaller::ProcessEvents();
}

void ProgramSession::PollNow() {
    caller_->StopPause();
    driver_->PauseElapsed();
}

void ProgramSession::StopWork() {
    driver_->WaitIdle();
    caller_->StopPause();
    master_->ClosePort();
}

void ProgramSession::SetUserLevel(UserLevel level) {
    level_ = level;
    {
        const std::lock_guard lock(journalMutex_);
        journalLevel_ =
            level == UserLevel::Expert ? QStringLiteral("Expert") : QStringLiteral("Normal");
    }
    emit Changed();
}

void ProgramSession::SetShown(const ShownDrive& shown) {
    shown_ = shown;
    emit Changed();
}

std::optional<std::uint8_t> ProgramSession::ShownAddress() const {
    if (!shown_.Online || shown_.Kind != DeviceKind::Std)
        return std::nullopt;
    return shown_.Address;
}

void ProgramSession::Set(bool& mark, bool value) {
    mark = value;
    emit Changed();
}

void ProgramSession::SetSaveEnabled(bool enabled) {
    Set(saveEnabled_, enabled);
}

void ProgramSession::SetCompareOpen(bool open, bool fileMode) {
    compareFileMode_ = open && fileMode;
    Set(compareOpen_, open);
}

void ProgramSession::SetOscilloscopeOpen(bool open) {
    if (driver_ && open != oscilloscopeOpen_)
        driver_->Connection().On(open ? SessionEvent::ScopeOpened : SessionEvent::ScopeClosed);
    Set(oscilloscopeOpen_, open);
}

void ProgramSession::SetDiagnosticMenuVisible(bool visible) {
    Set(diagnosticMenuVisible_, visible);
}

void ProgramSession::SetMenuLocked(bool locked) {
    Set(menuLocked_, locked);
}

void ProgramSession::SetDriveRequestsHeld(bool held) {
    Set(driveRequestsHeld_, held);
}

void ProgramSession::SetAlarmButtonHeld(bool held) {
    Set(alarmButtonHeld_, held);
}

} // namespace kelm
