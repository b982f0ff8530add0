#include "sim/app/Simulator.h"

#include "sim/engine/ControlCommands.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sched.h>
#include <unistd.h>

namespace kelm::sim {

bool Simulator::Start(QString& error) {
    const QString bin =
        options_.binFolder.isEmpty()
            ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Bin"))
            : options_.binFolder;
    KindTables tables;
    if (!LoadTablesFor(options_.setup.kind, bin, tables, error)) {
        return false;
    }
    engine_ = BuildEngine(options_.setup, tables, NowMs(), error);
    if (!engine_) {
        return false;
    }
    // Start values beyond the model code (main voltage, feedback, firmware words, ...).
    for (const QString& command : options_.startCommands) {
        const ControlResult result = ApplyControlCommand(*engine_, command, NowMs());
        if (!result.ok) {
            error = QStringLiteral("--exec %1: %2").arg(command, result.message);
            return false;
        }
    }
    if (!options_.logFile.isEmpty()) {
        log_.setFileName(options_.logFile);
        if (!log_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            error = QStringLiteral("cannot write the log %1").arg(options_.logFile);
            return false;
        }
        engine_->SetObserver([this](const ExchangeRecord& record) { LogExchange(record); });
    }
    if (options_.realtime) {
        // A line does not wait for a busy processor; without the priority the pacing may
        // run late, which is reported and otherwise harmless.
        const sched_param priority{10};
        if (::sched_setscheduler(0, SCHED_FIFO, &priority) != 0)
            std::fprintf(stderr, "kelmsim: no real-time priority: %s\n", std::strerror(errno));
    }
    inbound_ = std::make_unique<LinePacer>(options_.baud);
    pacer_ = std::make_unique<LinePacer>(options_.baud);
    pacer_->SetAdapterLatencyUs(1000LL * options_.adapterLatencyMs);
    if (!pty_.Open(error)) {
        return false;
    }
    if (!options_.linkPath.isEmpty() && !pty_.PlaceLink(options_.linkPath, error)) {
        return false;
    }
    return options_.controlPath.isEmpty() || fifo_.Open(options_.controlPath, error);
}

std::uint32_t Simulator::NowMs() const {
    return static_cast<std::uint32_t>(NowUs() / 1000);
}

std::int64_t Simulator::NowUs() const {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now() - start_).count();
}

void Simulator::Run(const volatile int& stopRequested) {
    std::uint32_t lastTick = 0;
    while (!quit_ && !stopRequested) {
        pollfd fds[2] = {{pty_.MasterFd(), POLLIN, 0}, {fifo_.Fd(), POLLIN, 0}};
        const nfds_t count = fifo_.Fd() >= 0 ? 2 : 1;
        // Microsecond waits: at 115200 baud a byte takes 95 us.
        const std::int64_t waitUs = WaitUs();
        const timespec timeout{static_cast<time_t>(waitUs / 1000000),
                               static_cast<long>(waitUs % 1000000) * 1000};
        const int ready = ::ppoll(fds, count, &timeout, nullptr);
        if (ready < 0 && errno != EINTR) {
            std::perror("kelmsim: poll");
            return;
        }
        if (ready > 0 && (fds[0].revents & POLLIN)) {
            ReadRequests();
        }
        if (ready > 0 && count == 2 && (fds[1].revents & POLLIN)) {
            ReadControl();
        }
        TakeArrivedRequests();
        WriteDueBytes();
        const std::uint32_t now = NowMs();
        if (now - lastTick >= 10) {
            engine_->Tick(now);
            lastTick = now;
        }
    }
    if (options_.baud != 0) {
        // What the pacing cost beyond the line: the processor woke the simulator this late.
        std::fprintf(stderr,
                     "kelmsim: paced bytes taken late by %.0f us on average (worst %lld us) "
                     "for requests, %.0f us (worst %lld us) for replies\n",
                     inbound_->MeanLateUs(), static_cast<long long>(inbound_->MaxLateUs()),
                     pacer_->MeanLateUs(), static_cast<long long>(pacer_->MaxLateUs()));
    }
}

// Until the next paced byte is due, at most 10 ms (the engine's tick).
std::int64_t Simulator::WaitUs() const {
    std::int64_t waitUs = 10'000;
    const std::int64_t nowUs = NowUs();
    for (const LinePacer* pacer : {inbound_.get(), pacer_.get()}) {
        if (!pacer->Empty())
            waitUs = std::min(waitUs, pacer->NextDueUs() - nowUs);
    }
    return std::max<std::int64_t>(waitUs, 0);
}

// The terminal hands over a request at once; on the line its bytes follow one another.
void Simulator::ReadRequests() {
    std::uint8_t buffer[512];
    const ssize_t got = ::read(pty_.MasterFd(), buffer, sizeof buffer);
    if (got <= 0) {
        return;
    }
    inbound_->Add(std::vector<std::uint8_t>(buffer, buffer + got), NowUs());
}

// The engine sees request bytes once they have arrived; a reply starts after the turnaround.
void Simulator::TakeArrivedRequests() {
    const std::int64_t nowUs = NowUs();
    const std::vector<std::uint8_t> arrived = inbound_->TakeDue(nowUs);
    if (arrived.empty()) {
        return;
    }
    for (const Reply& reply :
         engine_->Feed(arrived.data(), arrived.size(), static_cast<std::uint32_t>(nowUs / 1000))) {
        pacer_->Add(reply.bytes, nowUs + options_.turnaroundUs + 1000LL * reply.delayMs);
    }
    if (!deferred_.empty()) {
        RunDeferred();
    }
}

void Simulator::WriteDueBytes() {
    const std::int64_t nowUs = NowUs();
    const std::vector<std::uint8_t> due = pacer_->TakeDue(nowUs);
    if (due.empty()) {
        return;
    }
    const ssize_t written = ::write(pty_.MasterFd(), due.data(), due.size());
    const std::size_t sent = written < 0 ? 0 : static_cast<std::size_t>(written);
    if (written < 0 && errno != EAGAIN && errno != EINTR) {
        return; // the bytes are lost, as on a broken line
    }
    if (sent < due.size()) {
        // The terminal is full (nobody reads): try again in a millisecond, never spin.
        pacer_->PutBack(due.data() + sent, due.size() - sent, nowUs + 1000);
    }
}

void Simulator::ReadControl() {
    for (const QString& line : fifo_.ReadLines()) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        const QStringList words = line.simplified().split(QLatin1Char(' '));
        bool ok = false;
        const qulonglong after = words.value(1).toULongLong(&ok);
        if (words.value(0) == QLatin1String("after") && words.size() > 2 && ok) {
            deferred_.emplace_back(engine_->RequestCount() + after, words.mid(2).join(u' '));
            std::fprintf(stderr, "kelmsim: %s\n", qPrintable(line.simplified()));
        } else if (words.value(0) == QLatin1String("after")) {
            std::fprintf(stderr, "kelmsim: refused: usage: after <n> <command>\n");
        } else {
            Apply(line);
        }
    }
}

// Runs the deferred commands whose request count has been reached, in order.
void Simulator::RunDeferred() {
    const std::uint64_t count = engine_->RequestCount();
    for (auto it = deferred_.begin(); it != deferred_.end();) {
        if (it->first <= count) {
            const QString line = it->second;
            it = deferred_.erase(it);
            Apply(line);
        } else {
            ++it;
        }
    }
}

void Simulator::Apply(const QString& line) {
    const ControlResult result = ApplyControlCommand(*engine_, line, NowMs());
    std::fprintf(stderr, "kelmsim: %s%s\n",
                 result.ok ? "" : "refused: ", qPrintable(result.message));
    quit_ = quit_ || result.quit;
    if (result.ok && line.simplified() == QLatin1String("faults off")) {
        deferred_.clear();
    }
    if (result.hangup) {
        QString error;
        if (pty_.Reopen(error)) {
            std::fprintf(stderr, "kelmsim: new terminal %s\n", qPrintable(pty_.SlavePath()));
        } else {
            std::fprintf(stderr, "kelmsim: %s\n", qPrintable(error));
            quit_ = true;
        }
    }
}

void Simulator::LogExchange(const ExchangeRecord& record) {
    const QString line = QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                             .arg(record.ms)
                             .arg(record.address)
                             .arg(record.function)
                             .arg(record.firstRegister)
                             .arg(record.count)
                             .arg(record.answered ? QStringLiteral("yes") : QStringLiteral("no"));
    log_.write(line.toLatin1());
    log_.flush();
}

} // namespace kelm::sim
