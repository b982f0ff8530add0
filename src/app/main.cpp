// The desktop program: message boxes installed first, then the hidden main window, the
// splash for two seconds, and the main window.
#include "app/InstallFlows.h"
#include "core/seams/Messages.h"
#include "ui/seams/MessageBoxSink.h"
#include "ui/shell/Principale.h"
#include "ui/shell/TFWelcome.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kelm::TFPrincipale::Caption));

    kelm::MessageBoxSink messages;
    messages.Install();

    kelm::PrincipaleOptions options;
    options.Arguments = QApplication::arguments();
    kelm::TFPrincipale window(kelm::ProgramFlows(), options);
    messages.SetParentWidget(&window);
    // A fatal configuration error has been shown already.
    if (kelm::TerminateRequested())
        return 1;

    kelm::ShowSplashThen(window);
    return app.exec();
}
