// kelmsim: a simulated drive (or Tarn link) on a pseudo-terminal.

#include "sim/app/Options.h"
#include "sim/app/Simulator.h"
#include "sim/app/StderrMessages.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void OnStopSignal(int) {
    stopRequested = 1;
}

void InstallSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no restart: poll returns at once
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr); // the starting terminal went away
    std::signal(SIGPIPE, SIG_IGN);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(KELM_VERSION));
    kelm::sim::Options options;
    QString error;
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (!kelm::sim::ParseOptions(arguments, options, error)) {
        std::fprintf(stderr, "kelmsim: %s (kelmsim --help lists the options)\n", qPrintable(error));
        return 2;
    }
    if (options.help) {
        std::fputs(qPrintable(kelm::sim::UsageText()), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("kelmsim %s\n", KELM_VERSION);
        return 0;
    }
    kelm::sim::StderrMessages messages;
    kelm::InstallMessageSink(&messages);
    InstallSignalHandlers();

    int status = 0;
    {
        kelm::sim::Simulator simulator(options);
        if (!simulator.Start(error)) {
            std::fprintf(stderr, "kelmsim: %s\n", qPrintable(error));
            status = 1;
        } else {
            std::printf("%s\n", qPrintable(simulator.SlavePath()));
            std::fflush(stdout);
            simulator.Run(stopRequested);
        }
    }
    kelm::InstallMessageSink(nullptr);
    return status;
}
