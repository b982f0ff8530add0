// kelmbench_start: the desktop program's main window, as main() builds it, with the drive
// selection answered by script (no modal dialog opens). Prints "shown" once the main window
// is shown with its configuration loaded (the splash is left out: its two seconds are a
// fixed wait), then goes on line with the drive at KELM_COM1, clocks the status panel's
// refresh ("refresh-us N", the poll's work on the user-interface thread), opens the
// status panel, the diagnostic view and the drive comparison beside the main page, and prints
// "peak-rss-kb N". Problems are printed as "error TEXT".
#include "app/InstallFlows.h"
#include "bench/ProbeCommon.h"
#include "core/seams/Messages.h"
#include "core/seams/RecordingMessages.h"
#include "tests/ui/shell/WaitFor.h"
#include "ui/drive/TFConnectD.h"
#include "ui/drive/TFSelectDriver.h"
#include "ui/seams/ScriptedDialogs.h"
#include "ui/shell/Principale.h"
#include "ui/status/StatusMonitor.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <sys/resource.h>

namespace {

using kelm::bench::Fail;
using kelm::test::WaitFor; // the tests' event-processing wait

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kelm::bench::ProbeSetup probe;
    kelm::TFPrincipale window(kelm::ProgramFlows(), probe.Options());
    if (kelm::TerminateRequested())
        return Fail(probe.MessageTexts());
    window.show();
    QCoreApplication::processEvents();
    std::printf("shown\n");
    std::fflush(stdout);

    // On line: the start timer opens the selection, the table is read.
    if (!WaitFor(
            [&] {
                return window.StatusPanelText(kelm::StatusPanel::LineState) ==
                       QLatin1String("On Line");
            },
            120000))
        return Fail(QStringLiteral("not on line: ") + probe.MessageTexts());
    if (!window.StatusPanelShown())
        window.ViewInfoClick();
    // What each status poll runs on the user-interface thread besides its own few
    // microseconds: the main window's refresh of the status panel.
    constexpr int Refreshes = 50;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < Refreshes; ++i)
        window.StatusRefresh();
    std::printf("refresh-us %lld\n", clock.nsecsElapsed() / 1000 / Refreshes);
    window.Run(kelm::Command::Diagnostic);
    const QString file = probe.FilePath(QStringLiteral("drive.dev"));
    probe.Dialogs.AnswerNextFile(file);
    window.Run(kelm::Command::SaveAs);
    probe.Dialogs.AnswerNextFile(file);
    window.Run(kelm::Command::DriveCompare);
    // A few status polls with everything open.
    WaitFor([] { return false; }, 1500);
    QStringList open;
    if (QMdiArea* area = window.Frame())
        for (QMdiSubWindow* sub : area->subWindowList())
            open << sub->widget()->objectName();
    std::fprintf(stderr, "kelmbench_start: windows open: %s\n", qPrintable(open.join(", ")));

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak-rss-kb %ld\n", usage.ru_maxrss);
    std::fflush(stdout);
    window.close();
    return 0;
}
