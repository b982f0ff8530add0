#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace kelm::bench {

// The drive's pause between a request and its reply that the simulator is asked to keep:
// the Modbus RTU end-of-frame silence, 3.5 characters (1.75 ms above 19200 baud).
std::uint32_t TurnaroundUs(std::uint32_t baud);

// kelmsim (beside this program) on a pseudo-terminal, pacing both directions at `baud`, at
// real-time priority where allowed: it stands for the line and the drive, which do not wait
// for a busy processor.
class SimLine {
public:
    ~SimLine();
    // kind: "std", "orca" or "link" (one Power unit and one Drive unit).
    bool Start(const QString& kind, std::uint32_t baud, std::uint32_t turnaroundUs,
               const QStringList& extra = {});
    void Stop();
    const QString& Path() const { return path_; }
    QString Errors();

private:
    QProcess process_;
    QString path_;
};

} // namespace kelm::bench
