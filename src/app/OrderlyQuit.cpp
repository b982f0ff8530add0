#include "app/OrderlyQuit.h"

#include "core/drive/stop/StopSignals.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QThread>
#include <QWidget>
#include <csignal>

namespace kelm {

OrderlyQuit::OrderlyQuit(QObject* parent) : QObject(parent) {
    step_.setInterval(StepMs);
    connect(&step_, &QTimer::timeout, this, &OrderlyQuit::Step);
    // The program keeps its handlers: a second signal during the orderly end changes nothing.
    if (!InstallStopSignals({SIGTERM, SIGINT, SIGHUP}, false) || StopSignalFd() < 0)
        return;
    notifier_ = new QSocketNotifier(StopSignalFd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        DrainStopSignalFd();
        Request();
    });
}

void OrderlyQuit::Request() {
    if (requested_)
        return;
    requested_ = true;
    since_.start();
    step_.start();
    Step();
}

void OrderlyQuit::Step() {
    // Before the main event loop runs (a signal during the start) there is no loop to
    // leave yet: the timer tries again from inside it.
    const int level = QThread::currentThread()->loopLevel();
    if (level == 0)
        return;
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    QWidget* modal = QApplication::activeModalWidget();
    if ((modal != nullptr || level > 1) && since_.elapsed() < ForceMs) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else if (modal != nullptr)
            modal->close();
        return;
    }
    step_.stop();
    QCoreApplication::exit(0);
}

} // namespace kelm
