#pragma once

#include <QString>

namespace kelm::sim {

// The simulator's end of a pseudo-terminal. The slave is kept open here as well, so the
// master keeps working while clients open and close the slave (no EIO, no hang-up).
// An optional symbolic link to the slave is removed again on destruction.
class PtyPort {
public:
    PtyPort() = default;
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    bool Open(QString& error);
    // Replaces whatever link is at `path`; refuses to replace anything that is not a link.
    bool PlaceLink(const QString& path, QString& error);
    // Hangs up: closes both ends, so every client's descriptor sees the line drop, then
    // opens a new terminal and points the link (if any) at it.
    bool Reopen(QString& error);

    int MasterFd() const { return master_; }
    const QString& SlavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
    QString linkPath_;
};

} // namespace kelm::sim
