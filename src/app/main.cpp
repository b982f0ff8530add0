// The desktop program: message boxes installed first, then the hidden main window, the
// splash for two seconds, and the main window.
#include "app/InstallFlows.h"
#include "app/ProgramCommandLine.h"
#include "core/seams/Messages.h"
#include "ui/drive/SelectDrive.h"
#include "ui/seams/MessageBoxSink.h"
#include "ui/shell/ExtraLinkPorts.h"
#include "ui/shell/Principale.h"
#include "ui/shell/TFWelcome.h"
#include "ui/widgets/FitAudit.h"

#include <QApplication>

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const kelm::ProgramCommandLine line = kelm::ParseProgramCommandLine(arguments);
    if (line.Exit)
        return *line.Exit;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kelm::TFPrincipale::Caption));
    QApplication::setApplicationVersion(QStringLiteral(KELM_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(KELM_APP_ID));

    kelm::MessageBoxSink messages;
    messages.Install();
    kelm::InstallFitAudit();

    kelm::PrincipaleOptions options;
    options.Arguments = line.Words;
    kelm::TFPrincipale window(kelm::ProgramFlows(), options);
    messages.SetParentWidget(&window);
    // A fatal configuration error has been shown already.
    if (kelm::TerminateRequested())
        return 1;

    // Link ports named by scripts (a simulated link has no USB identity to be found by).
    const auto extraPorts = kelm::ParseLinkPortList(qEnvironmentVariable("KELM_LINK_PORTS"));
    if (!extraPorts.empty()) {
        kelm::LinkPortScan system = kelm::CurrentLinkPortScan(window);
        kelm::InstallLinkPortScan(
            [system, extraPorts] { return kelm::MergeLinkPorts(system(), extraPorts); });
    }

    kelm::ShowSplashThen(window);
    return app.exec();
}
