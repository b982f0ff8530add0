#pragma once

// A shell host for child-window tests: a program session (settings store in a temporary
// folder, drive model on the shipped configuration set, serial master on `channel`) under a
// plain widget with a frame, without the main window's menus, toolbar and panels. What the
// child asks of the main window is counted.

#include "core/link/SerialChannel.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ProgramSession.h"
#include "ui/shell/ShellHost.h"

#include <QMdiArea>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>
#include <functional>
#include <memory>

namespace kelm::test {

class FakeShellHost final : public ShellHost {
public:
    explicit FakeShellHost(std::function<std::unique_ptr<SerialChannel>()> channel = {})
        : frame_(new QMdiArea(&window_)),
          session_(
              SessionOptions{QStringLiteral(KELM_RUNTIME_DIR "/"),
                             settingsDir_.filePath(QStringLiteral("settings.ini")),
                             std::move(channel)},
              SessionWindowCalls{[this] { ConfigureForDevice(); },
                                 [this](WindowsToClose windows) { CloseChildWindows(windows); }}) {
        (new QVBoxLayout(&window_))->addWidget(frame_);
        window_.resize(900, 700);
    }
    // The child windows go while the session they report to exists.
    ~FakeShellHost() override { qDeleteAll(frame_->subWindowList()); }

    ProgramSession& Session() { return session_; }

    QWidget* Window() override { return &window_; }
    QMdiArea* Frame() override { return frame_; }
    TDriver& Driver() override { return session_.Driver(); }
    ModbusMaster& Master() override { return session_.Master(); }
    SettingsStore& Settings() override { return session_.Settings(); }
    ChildWindows& Children() override { return children_; }
    void ShowDeviceFileName() override {}
    bool IsExpert() const override { return session_.IsExpert(); }
    void SetUserLevel(UserLevel level) override { session_.SetUserLevel(level); }
    std::optional<std::uint8_t> ShownAddress() const override { return session_.ShownAddress(); }
    void ConfigureForDevice() override { ++configured; }
    void SetFileDialogsForDevice() override {}
    void ReloadFromDrive() override {}
    void CloseChildWindows(WindowsToClose windows) override {
        children_.CloseAll(windows.Pages, windows.Profile);
    }
    void ApplyUserLevel() override { ++levelApplied; }
    void UpdateAlarmIndicator(bool) override {}
    void StatusRefresh() override {}
    void SelectDrive() override {}
    void SetSaveEnabled(bool on) override { session_.SetSaveEnabled(on); }
    void SetCompareOpen(bool open, bool fileMode) override {
        session_.SetCompareOpen(open, fileMode);
    }
    void SetOscilloscopeOpen(bool open) override { session_.SetOscilloscopeOpen(open); }
    void SetDiagnosticMenuVisible(bool on) override { session_.SetDiagnosticMenuVisible(on); }
    int LinkSelectPort() const override { return session_.LinkSelectPort(); }
    void SetLinkSelectPort(int com) override { session_.SetLinkSelectPort(com); }

    int configured = 0;
    int levelApplied = 0;

private:
    QTemporaryDir settingsDir_;
    QWidget window_;
    QMdiArea* frame_;
    ChildWindows children_;
    ProgramSession session_;
};

} // namespace kelm::test
