// The desktop program: message boxes installed first, then the hidden main window, the
// splash for two seconds, and the main window. However the event loop ends (File > Exit,
// a stop signal, the session's end), the main window is closed, which writes the settings.
#include "app/InstallFlows.h"
#include "app/OrderlyQuit.h"
#include "app/ProgramCommandLine.h"
#include "core/seams/Messages.h"
#include "ui/drive/SelectDrive.h"
#include "ui/seams/MessageBoxSink.h"
#include "ui/shell/ExtraLinkPorts.h"
#include "ui/shell/Principale.h"
#include "ui/shell/TFWelcome.h"
#include "ui/widgets/FitAudit.h"

#include <QApplication>
#include <QIcon>

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
    // The installed theme icon where there is one, else the built-in picture.
    QApplication::setWindowIcon(QIcon::fromTheme(
        QStringLiteral(KELM_APP_ID), QIcon(QStringLiteral(":/icons/" KELM_APP_ID ".png"))));

    // SIGTERM, SIGINT, SIGHUP and the end of the session end the program as File > Exit
    // does: the main event loop is left, then the main window closes below. Installed
    // first, so that a signal during the start waits for the event loop.
    kelm::OrderlyQuit quit;
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &quit, &kelm::OrderlyQuit::Request);

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
    const int code = app.exec();
    // Child windows closed, worker stopped, port closed and the settings written.
    window.close();
    return code;
}
