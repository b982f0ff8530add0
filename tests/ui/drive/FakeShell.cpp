#include "FakeShell.h"

#include "core/common/Ticks.h"
#include "ui/drive/SelectDrive.h"
#include "ui/drive/TFConnectD.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace kelm::test {

FakeShell::FakeShell(sim::SimKind kind, std::uint8_t address) {
    frame_ = new QMdiArea(&window_);
    window_.resize(900, 700);
    const QString install = QStringLiteral(KELM_SOURCE_DIR "/data/");
    sim::KindTables tables;
    QString error;
    EXPECT_TRUE(sim::LoadTablesFor(kind, install + "Bin/", tables, error)) << error.toStdString();
    sim::SetupOptions options;
    options.kind = kind;
    options.address = address;
    options.commandDelayMs = 5;
    engine_ = sim::BuildEngine(options, tables, TickCount(), error);
    EXPECT_TRUE(engine_) << error.toStdString();
    auto channel = std::make_unique<CountingChannel>(engine_, [] { return TickCount(); });
    channel_ = channel.get();
    settings_ = std::make_unique<SettingsStore>(temp_.path(), temp_.filePath("kelm.ini"));
    master_ = std::make_unique<ModbusMaster>(
        std::move(channel), [](std::uint8_t com) { return QStringLiteral("/dev/sim%1").arg(com); });
    driver_ = std::make_unique<TDriver>(host_, *master_);
    host_.SetDriver(driver_.get());
    host_.OnConfigureForDevice = [this] { ConfigureForDevice(); };
    EXPECT_TRUE(driver_->Initialize(install, temp_.filePath("Devices/")));
    messages.Clear();
    // Transfers run to their end unless a test says otherwise.
    dialogs.SetDefaultDialogHandler([](QDialog& dialog) {
        if (QString(dialog.metaObject()->className()) == "kelm::TFConnectD")
            ScriptedDialogs::WaitClosed(dialog, 30000);
    });
}

FakeShell::~FakeShell() {
    if (driver_)
        driver_->WaitIdle();
    driver_.reset();
}

QString FakeShell::StatusPanelText(int panel) const {
    const auto it = panels_.find(panel);
    return it == panels_.end() ? QString() : it->second;
}

void FakeShell::ShowDeviceFileName() {
    SetStatusPanelText(StatusPanel::DeviceFile, QFileInfo(driver_->CurrentFileName).fileName());
}

void FakeShell::ConfigureForDevice() {
    ++configures;
    const bool online = driver_->Online();
    SetStatusPanelText(StatusPanel::LineState, online ? "On Line" : "Off Line");
    SetStatusPanelText(StatusPanel::DeviceId,
                       online && driver_->CurrentKind() == DeviceKind::Std
                           ? QStringLiteral("%1").arg(master_->DeviceAddress, 3, 10, QChar('0'))
                           : QString());
}

// The main window's routine, with the real progress dialog.
void FakeShell::ReloadFromDrive() {
    driver_->SetOnline(master_->IsLinkReady());
    if (driver_->Online()) {
        CloseChildWindows(false, true);
        TFConnectD::RunTransfer(*this, 'R');
    }
    ConfigureForDevice();
    children_.NotifyTableChanged();
}

void FakeShell::CloseChildWindows(bool pages, bool profile) {
    closedChildren.emplace_back(pages, profile);
    children_.CloseAll(pages, profile);
}

void FakeShell::SelectDrive() {
    kelm::SelectDrive(*this);
}

bool FakeShell::WaitWorkerIdle(int timeoutMs) {
    return WaitFor([this] { return driver_->ModeLetter() == 0 || driver_->ModeLetter() == 'I'; },
                   timeoutMs);
}

} // namespace kelm::test
