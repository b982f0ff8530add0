// kelmbench_stall: how long the desktop program's user-interface thread stops answering on a
// slow line, per mode. The main window (offscreen, dialogs answered by script) goes on line
// with the drive at KELM_COM1, then runs each mode for SECONDS (first argument, default 5)
// with a 10 ms timer on the user-interface thread, and prints "stall MODE MS" (the timer's
// worst lateness): "panel" (the status panel's poll), "diagnostic" (the diagnostic view),
// "capture" (an oscilloscope capture and its upload). Problems are printed as "error TEXT".
#include "app/InstallFlows.h"
#include "bench/ProbeCommon.h"
#include "core/drive/TDriver.h"
#include "core/seams/Messages.h"
#include "core/seams/RecordingMessages.h"
#include "tests/soak/StallMeter.h"
#include "tests/ui/shell/WaitFor.h"
#include "ui/diagnostic/DiagnosticWindow.h"
#include "ui/drive/TFConnectD.h"
#include "ui/drive/TFSelectDriver.h"
#include "ui/scope/OscilloWindow.h"
#include "ui/scope/TFOscillo.h"
#include "ui/seams/ScriptedDialogs.h"
#include "ui/shell/Principale.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <cstdio>

namespace {

using kelm::bench::Fail;
using kelm::test::WaitFor;

// Runs `during` with the meter on for `ms` (or until `done` holds, when given).
void Report(const char* mode, int ms, const std::function<bool()>& done = {}) {
    kelm::test::StallMeter meter;
    meter.Start();
    WaitFor(
        done ? done : [] { return false; }, ms);
    meter.Stop();
    std::printf("stall %s %lld\n", mode, static_cast<long long>(meter.WorstMs()));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, QString::fromLatin1(argv[1]).toInt()) : 5;
    kelm::bench::ProbeSetup probe;
    kelm::TFPrincipale window(kelm::ProgramFlows(), probe.Options());
    if (kelm::TerminateRequested())
        return Fail(probe.MessageTexts());
    window.show();
    const auto polling = [&] {
        return window.Driver().Online() && window.Driver().Mode() == kelm::WorkerMode::StatusPoll;
    };
    if (!WaitFor(polling, 300000))
        return Fail(QStringLiteral("not on line: ") + probe.MessageTexts());
    if (!window.StatusPanelShown())
        window.ViewInfoClick();
    WaitFor([] { return false; }, 1000);

    Report("panel", seconds * 1000);

    window.Run(kelm::Command::Diagnostic);
    if (kelm::DiagnosticWindow() == nullptr)
        return Fail(QStringLiteral("no diagnostic view"));
    WaitFor([] { return false; }, 500);
    Report("diagnostic", seconds * 1000);
    window.Run(kelm::Command::DiagnosticClose);
    WaitFor([] { return kelm::DiagnosticWindow() == nullptr; }, 30000);

    window.Run(kelm::Command::Oscilloscope);
    kelm::TFOscillo* scope = kelm::OscilloWindow();
    if (scope == nullptr)
        return Fail(QStringLiteral("no oscilloscope"));
    WaitFor([] { return false; }, 500);
    scope->EdgeButton(3)->click(); // no trigger: the record starts at once
    scope->StartButton()->click();
    Report("capture", 120000, [scope] { return !scope->Session().Running(); });
    window.close();
    return 0;
}
