#pragma once

#include <QString>
#include <QStringList>

namespace kelm::sim {

// A named pipe that takes one text command per line. The simulator holds a writing end
// itself, so the pipe never reports end-of-file when a writer goes away. The FIFO is
// removed on destruction.
class ControlFifo {
public:
    ControlFifo() = default;
    ~ControlFifo();
    ControlFifo(const ControlFifo&) = delete;
    ControlFifo& operator=(const ControlFifo&) = delete;

    // Creates the FIFO (an existing FIFO at path is reused; anything else is refused).
    bool Open(const QString& path, QString& error);
    int Fd() const { return readFd_; }
    // Reads what is there and returns the complete lines.
    QStringList ReadLines();

private:
    QString path_;
    int readFd_ = -1;
    int keepAliveFd_ = -1;
    QByteArray pending_;
};

} // namespace kelm::sim
