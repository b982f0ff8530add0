#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace kelm::sim::test {

// kelmsim started as a child process with a control FIFO; the first line of its output is
// the terminal path, and every control command is acknowledged by one line on stderr.
class SimProcess {
public:
    ~SimProcess();
    // Starts kelmsim (with the fixture configuration when fixtureBin) and waits for the
    // path line; a control FIFO of its own is added.
    bool Start(QStringList arguments, bool fixtureBin = true);
    const QString& Path() const { return path_; }
    const QString& ControlPath() const { return control_; }
    QProcess& Process() { return process_; }
    // Sends one control line; true once acknowledged and not refused.
    bool Command(const QString& line);
    // Everything the simulator wrote to stderr so far.
    QString Errors();

private:
    QTemporaryDir dir_;
    QProcess process_;
    QString path_;
    QString control_;
    QString errors_;
};

} // namespace kelm::sim::test
