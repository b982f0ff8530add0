#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QSocketNotifier;

namespace kelm {

// Ends the desktop program on SIGTERM, SIGINT or SIGHUP (a session ending, kill -TERM) the
// way File > Exit does, so that the settings are written: the signal handler only writes
// to a pipe, and a socket notifier brings the request into the event loop. A modal dialog
// open at that moment is turned down (a procedure's wait dialog cancels the procedure,
// which still writes its disable request), again every StepMs until the main event loop
// is reached; then the main event loop is left and main closes the main window. A dialog
// that will not close is left behind after ForceMs: every event loop is ended then.
class OrderlyQuit final : public QObject {
public:
    static constexpr int StepMs = 50;
    static constexpr int ForceMs = 10000;

    explicit OrderlyQuit(QObject* parent = nullptr);

    // Starts the orderly end (also what the session's end calls).
    void Request();
    bool Requested() const { return requested_; }

private:
    void Step();

    QSocketNotifier* notifier_ = nullptr;
    QTimer step_;
    QElapsedTimer since_;
    bool requested_ = false;
};

} // namespace kelm
