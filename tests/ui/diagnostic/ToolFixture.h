#pragma once

#include "common/RecordedSim.h"
#include "core/seams/RecordingMessages.h"
#include "sim/channel/SimChannel.h"
#include "sim/engine/Engine.h"
#include "sim/engine/SimSetup.h"
#include "ui/common/StandInFlows.h"
#include "ui/drive/TFSelectDriver.h"
#include "ui/seams/ScriptedDialogs.h"
#include "ui/shell/Principale.h"
#include "ui/shell/WaitFor.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace kelm::test {

// The main window on an in-memory simulated drive or link, with the shipped configuration
// set in a private installation folder. Messages are recorded and dialogs scripted, so no
// real modal dialog can open. Every request the simulator decodes is recorded.
class ToolFixture : public ::testing::Test, public RecordedSim {
protected:
    void SetUp() override;
    void TearDown() override;

    void BuildEngine(sim::SimKind kind);
    // Builds the main window (Expert level) and shows it; its start timer then runs the
    // drive selection of `flows`. Empty flows are the program's selection and transfers and
    // stand-ins for the rest (CompleteFlows).
    void ShowWindow(ShellFlows flows = {});
    // Shows the window and waits until it is on line: the start's selection dialog is
    // answered with the drive at 1 and its table read runs to the end, through a script of
    // their own (the test's script and records start empty).
    void ShowOnline(ShellFlows flows = {});
    // Builds the main window (not shown) with the command line `arguments`.
    void MakeWindow(ShellFlows flows, QStringList arguments);

    // Shows the window with `flows` and cancels the selection at the start. Transfers run
    // to their end unless a test scripts the progress dialog.
    void ShowCancelled(ShellFlows flows = {});
    // Drive > Select Drive with `handler` in the selection dialog and `next` in the dialog
    // after it (when given).
    void SelectWith(ScriptedDialogs::DialogHandler handler,
                    ScriptedDialogs::DialogHandler next = {});
    // The selection dialog's "Standard" choice with this number.
    static ScriptedDialogs::DialogHandler EnterNumber(const QString& number);
    // How many dialogs of this class ran.
    int Executed(const char* className) const;

    static bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 15000) {
        return test::WaitFor(condition, timeoutMs);
    }
    QString Folder() const { return install_.path() + QLatin1Char('/'); }
    // The link ports the selection dialog sees until the test ends.
    void ScanLinkPorts(LinkPortScan scan);

    RecordingMessages messages_;
    std::unique_ptr<ScriptedDialogs> dialogs_;
    std::unique_ptr<TFPrincipale> window_;
    QStringList launched_;               // programs the window started
    sim::SimChannel* channel_ = nullptr; // the window's channel
    int portOpens_ = 0;                  // ports opened on it

private:
    QTemporaryDir install_;
    std::optional<LinkPortScan> previousScan_;
};

} // namespace kelm::test
