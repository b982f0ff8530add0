#pragma once

#include "core/seams/RecordingMessages.h"
#include "sim/engine/Engine.h"
#include "ui/seams/ScriptedDialogs.h"
#include "ui/shell/Principale.h"
#include "ui/shell/WaitFor.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace kelm::test {

// An installation folder for one test: Bin/ copied from the shipped set (optionally
// without some files), a private settings file.
class TestInstallation {
public:
    explicit TestInstallation(const QStringList& leaveOut = {});
    QString Folder() const { return dir_.path() + QLatin1Char('/'); }
    QString SettingsFile() const { return dir_.path() + QStringLiteral("/settings.ini"); }

private:
    QTemporaryDir dir_;
};

// A window flow that puts an empty widget named `name` into the frame (deleted on close)
// and counts the windows it made.
std::function<void(ShellHost&)> FakeWindowFlow(const QString& name, int* created = nullptr);

// A main window on an in-memory simulated plain drive at address 1 (the window's Com1).
// Messages are recorded, dialogs scripted; no real modal dialog can open.
class ShellFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds the window (not shown). With everyWindow, a window or the port dialog not in
    // flows is an empty stand-in; other flows left empty use the main window's fallbacks.
    void Build(ShellFlows flows = {}, QStringList arguments = {QStringLiteral("kelmdrive")},
               bool everyWindow = true);
    // Selects the drive at address 1 through the fallback selection and reads the table.
    void GoOnline();
    // Applies a simulator control command ("silent * on", "cmdfault * on", ...).
    void Control(const QString& line);

    std::unique_ptr<TestInstallation> install_;
    RecordingMessages messages_;
    std::unique_ptr<ScriptedDialogs> dialogs_;
    std::shared_ptr<sim::Engine> engine_;
    std::unique_ptr<TFPrincipale> window_;
    QStringList launched_;
};

} // namespace kelm::test
