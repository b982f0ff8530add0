#pragma once

#include "sim/engine/SimSetup.h"

#include <QString>
#include <QStringList>

namespace kelm::sim {

// Command line of kelmsim.
struct Options {
    SetupOptions setup;
    QString binFolder;         // empty: the Bin folder beside the executable
    QString linkPath;          // symbolic link to the pseudo-terminal
    QString logFile;           // one line per request
    QString controlPath;       // FIFO for run-time commands
    QStringList startCommands; // control commands run once the devices exist (--exec)
    std::uint32_t baud = 0;    // 0: replies go out at once
    // From a request's last byte to its reply's first.
    std::uint32_t turnaroundUs = 0;
    // A USB serial adapter's latency timer on the replies' way (0: none).
    std::uint32_t adapterLatencyMs = 0;
    // Asks for real-time scheduling (benchmarks on a busy machine).
    bool realtime = false;
    bool help = false;
    bool version = false;
};

// `arguments` without the program name, parsed with QCommandLineParser (unknown options,
// missing values and values out of range are errors). false with a one-line `error`.
bool ParseOptions(const QStringList& arguments, Options& options, QString& error);
QString UsageText();

} // namespace kelm::sim
