#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace kelm::sim::test {

// kelmsim started as a child process; the first line of its output is the terminal path.
class SimProcess {
public:
    ~SimProcess();
    // Starts kelmsim with the fixture configuration (unless `arguments` name --bin) and
    // waits for the path line. false when it did not come.
    bool Start(QStringList arguments, bool fixtureBin = true);
    const QString& Path() const { return path_; }
    QProcess& Process() { return process_; }
    // SIGTERM and wait; returns the exit code (-1 if it did not end normally).
    int Terminate();

private:
    QProcess process_;
    QString path_;
};

// The client end of the terminal, raw.
class RawPort {
public:
    explicit RawPort(const QString& path);
    ~RawPort();
    RawPort(const RawPort&) = delete;
    RawPort& operator=(const RawPort&) = delete;
    bool IsOpen() const { return fd_ >= 0; }
    // Drops stale input, sends the request, collects bytes until `expected` arrived or
    // the line stayed quiet for quietMs.
    std::vector<std::uint8_t> Exchange(const std::vector<std::uint8_t>& request,
                                       std::size_t expected, int quietMs = 300);

private:
    int fd_ = -1;
};

// Writes one line into a FIFO and gives the simulator time to take it.
bool SendControl(const QString& fifoPath, const QString& line);

} // namespace kelm::sim::test
