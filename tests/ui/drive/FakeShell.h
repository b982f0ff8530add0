#pragma once

#include "core/drive/CliDriverHost.h"
#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "core/seams/RecordingMessages.h"
#include "core/settings/SettingsStore.h"
#include "sim/channel/SimChannel.h"
#include "sim/engine/SimSetup.h"
#include "ui/seams/ScriptedDialogs.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellHost.h"
#include "ui/shell/WaitFor.h"

#include <QMdiArea>
#include <QTemporaryDir>
#include <QWidget>
#include <map>
#include <memory>

namespace kelm::test {

// SimChannel that counts how often the port was opened (and refuses it with a `refusal`).
class CountingChannel final : public sim::SimChannel {
public:
    using SimChannel::SimChannel;
    bool Open(const QString& path) override {
        ++opens;
        return refusal.isEmpty() && SimChannel::Open(path);
    }
    QString OpenError() const override { return refusal; }
    int opens = 0;
    QString refusal;
};

// The main window as the dialogs see it, over a simulated drive: a settings store in a
// temporary folder, the drive model loaded from the shipped configuration set, and a master
// whose channel talks to the simulator engine in memory. Every COM number opens the same
// simulated line.
class FakeShell final : public ShellHost {
public:
    explicit FakeShell(sim::SimKind kind = sim::SimKind::Std, std::uint8_t address = 1);
    ~FakeShell() override;

    QWidget* Window() override { return &window_; }
    QMdiArea* Frame() override { return frame_; }
    TDriver& Driver() override { return *driver_; }
    ModbusMaster& Master() override { return *master_; }
    SettingsStore& Settings() override { return *settings_; }
    ChildWindows& Children() override { return children_; }
    QString StatusPanelText(int panel) const override;
    void SetStatusPanelText(int panel, const QString& text) override { panels_[panel] = text; }
    void ShowDeviceFileName() override;
    bool IsExpert() const override { return StatusPanelText(1) == "Expert"; }
    void ConfigureForDevice() override;
    void SetFileDialogsForDevice() override { ++fileDialogSetups; }
    void ReloadFromDrive() override;
    void CloseChildWindows(bool pages, bool profile) override;
    void ApplyUserLevel() override { ++userLevelApplied; }
    void UpdateAlarmIndicator(bool) override {}
    void StatusRefresh() override { ++statusRefreshes; }
    void SelectDrive() override;
    void SetSaveEnabled(bool) override {}
    void SetCompareOpen(bool, bool) override {}
    void SetOscilloscopeOpen(bool) override {}
    void SetDiagnosticMenuVisible(bool) override {}
    int LinkSelectPort() const override { return linkSelectPort_; }
    void SetLinkSelectPort(int com) override { linkSelectPort_ = com; }

    sim::Engine& Engine() { return *engine_; }
    CountingChannel& Channel() { return *channel_; }
    // Waits (processing events) until the worker has stopped.
    bool WaitWorkerIdle(int timeoutMs = 20000);

    int fileDialogSetups = 0;
    int configures = 0;
    int userLevelApplied = 0;
    int statusRefreshes = 0;
    std::vector<std::pair<bool, bool>> closedChildren;

    // Shared by every test of the fixture.
    RecordingMessages messages;
    ScriptedDialogs dialogs;

private:
    QTemporaryDir temp_;
    QWidget window_;
    QMdiArea* frame_ = nullptr;
    std::shared_ptr<sim::Engine> engine_;
    CountingChannel* channel_ = nullptr;
    std::unique_ptr<SettingsStore> settings_;
    std::unique_ptr<ModbusMaster> master_;
    CliDriverHost host_;
    std::unique_ptr<TDriver> driver_;
    ChildWindows children_;
    std::map<int, QString> panels_;
    int linkSelectPort_ = 0;
};

} // namespace kelm::test
