#include "bench/LineCases.h"

#include "bench/BenchHost.h"
#include "bench/CountingChannel.h"
#include "bench/PeerReads.h"
#include "bench/SimLine.h"
#include "core/drive/LinkIdentification.h"
#include "core/drive/TDriver.h"
#include "core/drive/scope/ScopeCapture.h"
#include "core/drive/status/StatusLink.h"
#include "core/drive/status/StatusPoller.h"
#include "core/link/ModbusMaster.h"
#include "core/link/PosixSerialChannel.h"
#include "core/seams/Messages.h"
#include "ui/diagnostic/DiagStatusHost.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace kelm::bench {
namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start, Clock::time_point end = Clock::now()) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// Processor time of the calling thread.
double ThreadCpuMs() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Runs the event loop (the synchronized calls need it) until done() or the time limit.
bool RunUntil(const std::function<bool()>& done, int limitMs) {
    const auto start = Clock::now();
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || MsSince(start) > limitMs)
            loop.quit();
    });
    check.start(5);
    if (!done())
        loop.exec();
    return done();
}

// The device kinds of the cases: which simulator, which frames.
struct KindCase {
    DeviceKind Kind;
    const char* Name;
    const char* SimKind;
    bool Link;
};
constexpr KindCase Std{DeviceKind::Std, "std", "std", false};
constexpr KindCase Power{DeviceKind::Power, "power", "link", true};
constexpr KindCase Drive{DeviceKind::Drive, "drive", "link", true};
constexpr KindCase Orca{DeviceKind::Orca230, "orca", "orca", true};

const char* Frames(const KindCase& kind) {
    return kind.Link ? "link" : "plain";
}

std::unique_ptr<ModbusMaster> MakeMaster(const QString& path, CountingChannel*& counter) {
    auto channel = std::make_unique<CountingChannel>(std::make_unique<PosixSerialChannel>());
    counter = channel.get();
    return std::make_unique<ModbusMaster>(std::move(channel),
                                          [path](std::uint8_t) { return path; });
}

// The drive model on line with one simulated drive, as the program has it after the drive
// selection: the kind's table active, the device address set.
class Session {
public:
    bool Connect(const QString& path, std::uint32_t baud, const KindCase& kind) {
        master_ = MakeMaster(path, counter_);
        if (!master_->OpenPort(1, baud, kind.Link, 0))
            return Fail(master_->OpenError());
        driver_ = std::make_unique<TDriver>(host_, *master_);
        host_.SetDriver(driver_.get());
        ClearTerminateRequest();
        const QString install = QCoreApplication::applicationDirPath() + QLatin1Char('/');
        if (!devices_.isValid() ||
            !driver_->Initialize(install, devices_.path() + QStringLiteral("/Devices/")))
            return Fail(QStringLiteral("the configuration did not load"));
        std::uint8_t address = 1;
        if (kind.Link) {
            driver_->SelectDeviceKind(DeviceKind::Power, false);
            const LinkIdentity link = IdentifyLink(*driver_);
            if (!link.Answered)
                return Fail(QStringLiteral("the link did not answer"));
            address = link.Orca ? LinkIdentity::OrcaAddress : link.PowerAddress;
            if (kind.Kind == DeviceKind::Drive)
                address = static_cast<std::uint8_t>(link.PowerAddress + 1);
        }
        driver_->SelectDeviceKind(kind.Kind, false);
        master_->SelectUnit(address);
        driver_->SetOnline(master_->IsLinkReady());
        return driver_->Online() || Fail(QStringLiteral("not on line"));
    }
    TDriver& Driver() { return *driver_; }
    ModbusMaster& Master() { return *master_; }
    BenchHost& Host() { return host_; }
    // Bytes on the line and requests sent so far, time spent waiting on the line.
    std::uint64_t Bytes() const { return counter_->Bytes(); }
    std::int64_t LineNs() const { return counter_->LineNs(); }
    const QString& Error() const { return error_; }

private:
    bool Fail(const QString& error) {
        error_ = error;
        return false;
    }
    QTemporaryDir devices_;
    BenchHost host_;
    CountingChannel* counter_ = nullptr; // owned by the master
    std::unique_ptr<ModbusMaster> master_;
    std::unique_ptr<TDriver> driver_; // last: goes first
    QString error_;
};

// One run of a line case: its time and the line's limit for exactly what it sent.
struct Run {
    double Ms = 0;
    double LimitMs = 0;
    double TurnaroundMs = 0;
    double HostMs = 0; // Ms less the time spent waiting on the line
    bool Ok = false;
};

// The wire time of `bytes` at 11 bits each, plus the drive's turnaround per request.
Run Limit(double ms, std::int64_t lineNs, std::uint64_t bytes, std::uint32_t requests,
          std::uint32_t baud, std::uint32_t turnaroundUs) {
    Run run;
    run.Ms = ms;
    run.HostMs = ms - static_cast<double>(lineNs) / 1e6;
    run.TurnaroundMs = requests * (turnaroundUs / 1000.0);
    run.LimitMs = static_cast<double>(bytes) * 11000.0 / baud + run.TurnaroundMs;
    run.Ok = true;
    return run;
}

// Starts a transfer through the drive model (start(onDone)), waits for its completion and
// measures it against the bytes it exchanged.
Run Transfer(Session& session, std::uint32_t baud, std::uint32_t turnaroundUs,
             const std::function<void(TDriver::Callback)>& start) {
    const std::uint64_t bytes = session.Bytes();
    const std::int64_t lineNs = session.LineNs();
    const std::uint32_t requests = session.Master().Counters().Requests;
    std::atomic<bool> done{false};
    Clock::time_point end;
    const auto begin = Clock::now();
    start([&] {
        end = Clock::now();
        done = true;
    });
    RunUntil([&] { return done.load(); }, 300000);
    session.Driver().WaitIdle(); // no status polling between the runs
    if (!done || !session.Driver().Online())
        return {};
    return Limit(MsSince(begin, end), session.LineNs() - lineNs, session.Bytes() - bytes,
                 session.Master().Counters().Requests - requests, baud, turnaroundUs);
}

// Milliseconds of user-interface time per status poll, over `polls` paced polls.
Run PollRun(Session& session, int polls) {
    TDriver& driver = session.Driver();
    DriverStatusLink link(driver);
    DiagStatusHost host({}); // no windows: nothing open, nothing pending
    StatusPoller poller(link, host);
    std::atomic<int> count{0};
    // Installed as InstallStatusPoll does, counting the polls.
    driver.SetPollBody(
        WorkerMode::StatusPoll,
        [&] {
            poller.Poll();
            ++count;
        },
        TDriver::PollThread::Worker);
    session.Host().ResetClock();
    driver.SetMode(WorkerMode::StatusPoll);
    RunUntil([&] { return count.load() >= polls; }, 10000 + polls * 1000);
    driver.WaitIdle();
    driver.SetPollBody(WorkerMode::StatusPoll, {});
    Run run;
    run.Ok = count.load() >= polls && driver.Online();
    run.Ms = static_cast<double>(session.Host().SynchronizedNs()) / 1e6 / count.load();
    return run;
}

// `count` single-register reads straight through the master.
Run SingleReads(const QString& path, std::uint32_t baud, std::uint32_t turnaroundUs,
                const KindCase& kind, int count) {
    CountingChannel* counter = nullptr;
    auto master = MakeMaster(path, counter);
    if (!master->OpenPort(1, baud, kind.Link, 0))
        return {};
    master->SelectUnit(kind.Link ? LinkIdentity::OrcaAddress : 1);
    std::uint16_t value = 0;
    bool ok = true;
    const double cpuBegin = ThreadCpuMs();
    const auto begin = Clock::now();
    for (int i = 0; i < count && ok; ++i)
        ok = master->ReadRegisters(0, &value, 1, 100, false);
    const double ms = MsSince(begin);
    if (!ok)
        return {};
    // How much of the host's time the processor actually spent on it; the rest waited to
    // be scheduled (a loaded machine).
    std::fprintf(stderr,
                 "bench: %d single reads: %.1f ms of processor time on the master's thread\n",
                 count, ThreadCpuMs() - cpuBegin);
    return Limit(ms, counter->LineNs(), counter->Bytes(), master->Counters().Requests, baud,
                 turnaroundUs);
}

// Collects the runs of one case into its row.
class RowBuilder {
public:
    RowBuilder(QString name, std::uint32_t baud) {
        row_.Case = std::move(name);
        row_.Baud = baud;
    }
    void Add(const Run& run) {
        if (!run.Ok) {
            failed_ = true;
            return;
        }
        times_.push_back(run.Ms);
        limits_.push_back(run.LimitMs);
        turnarounds_.push_back(run.TurnaroundMs);
        hosts_.push_back(run.HostMs);
    }
    // Against the wire: the limit of the median run's exchange (every run sends the same).
    Row Wire() {
        Finish();
        if (row_.Ok()) {
            row_.Limit = Summarize(limits_).Median;
            row_.Turnaround = Summarize(turnarounds_).Median;
            row_.Host = Summarize(hosts_).Median;
            row_.LimitKind = QStringLiteral("wire");
        }
        return row_;
    }
    Row Against(double limit, const QString& kind, const QString& unit = QStringLiteral("ms")) {
        Finish();
        row_.Limit = limit;
        row_.LimitKind = kind;
        row_.Unit = unit;
        return row_;
    }
    Row Failed(const QString& note) {
        row_.Note = note;
        return row_;
    }

private:
    void Finish() {
        row_.Measured = Summarize(times_);
        if (failed_ || times_.empty())
            row_.Note = QStringLiteral("failed");
    }
    Row row_;
    std::vector<double> times_;
    std::vector<double> limits_;
    std::vector<double> turnarounds_;
    std::vector<double> hosts_;
    bool failed_ = false;
};

void Progress(const Row& row) {
    std::fprintf(stderr, "bench: %s at %u: %s\n", qPrintable(row.Case), row.Baud,
                 row.Ok() ? qPrintable(QString::number(row.Measured.Median, 'f', 2) +
                                       QLatin1Char(' ') + row.Unit)
                          : qPrintable(row.Note));
}

QString Name(const char* what, const KindCase& kind) {
    return QStringLiteral("%1 %2 (%3)")
        .arg(QLatin1String(what), QLatin1String(kind.Name), QLatin1String(Frames(kind)));
}

// Table read and write, capture upload and status poll of one kind at one baud rate.
void KindCases(const Plan& plan, std::uint32_t baud, const KindCase& kind, std::vector<Row>& rows) {
    const std::uint32_t turnaround = TurnaroundUs(baud);
    SimLine sim;
    Session session;
    RowBuilder read(Name("table read", kind), baud);
    RowBuilder write(Name("table write", kind), baud);
    RowBuilder upload(Name("scope upload 2x500", kind), baud);
    RowBuilder poll(Name("status poll, UI time per poll", kind), baud);
    if (!sim.Start(QLatin1String(kind.SimKind), baud, turnaround) ||
        !session.Connect(sim.Path(), baud, kind)) {
        const QString note = QStringLiteral("no session: ") + session.Error();
        for (RowBuilder* builder : {&read, &write, &upload, &poll})
            rows.push_back(builder->Failed(note));
        return;
    }
    TDriver& driver = session.Driver();
    const bool scope = kind.Kind != DeviceKind::Power;
    std::unique_ptr<ScopeCapture> capture;
    if (scope) {
        capture = std::make_unique<ScopeCapture>(driver);
        capture->Install();
    }
    for (int i = 0; i < plan.Runs; ++i) {
        read.Add(Transfer(session, baud, turnaround, [&](TDriver::Callback done) {
            driver.StartRead(
                TransferTarget::ActiveTable, [] {}, std::move(done));
        }));
        write.Add(Transfer(session, baud, turnaround, [&](TDriver::Callback done) {
            driver.StartWrite(
                TransferTarget::ActiveTable, [] {}, std::move(done));
        }));
        if (scope) {
            upload.Add(Transfer(session, baud, turnaround, [&](TDriver::Callback done) {
                capture->StartUpload([] {}, std::move(done));
            }));
        }
    }
    for (int i = 0; i < plan.Runs; ++i)
        poll.Add(PollRun(session, plan.PollsPerRun));
    rows.push_back(read.Wire());
    rows.push_back(write.Wire());
    if (scope)
        rows.push_back(upload.Wire());
    rows.push_back(poll.Against(5.0, QStringLiteral("goal")));
    capture.reset();
    for (std::size_t i = rows.size() - (scope ? 4 : 3); i < rows.size(); ++i)
        Progress(rows[i]);
}

// Single-register reads through the master against the wire; on plain frames also against
// libmodbus on the same terminal (the runs alternate so that both meet the same load).
void SingleReadCases(const Plan& plan, std::uint32_t baud, const KindCase& kind,
                     std::vector<Row>& rows) {
    const std::uint32_t turnaround = TurnaroundUs(baud);
    const QString name = QStringLiteral("%1 single reads (%2)")
                             .arg(plan.SingleReads)
                             .arg(QLatin1String(Frames(kind)));
    RowBuilder ours(name, baud);
    RowBuilder peer(name + QStringLiteral(", ModbusMaster vs libmodbus"), baud);
    std::vector<double> peerTimes;
    SimLine sim;
    if (!sim.Start(QLatin1String(kind.SimKind), baud, turnaround)) {
        rows.push_back(ours.Failed(QStringLiteral("kelmsim did not start")));
        return;
    }
    const bool withPeer = !kind.Link && LibmodbusBuilt();
    for (int i = 0; i < plan.Runs; ++i) {
        const Run run = SingleReads(sim.Path(), baud, turnaround, kind, plan.SingleReads);
        ours.Add(run);
        peer.Add(run);
        if (withPeer) {
            if (const auto ms = LibmodbusReads(sim.Path(), baud, plan.SingleReads, 0))
                peerTimes.push_back(*ms);
        }
    }
    rows.push_back(ours.Wire());
    Progress(rows.back());
    if (kind.Link)
        return;
    if (!LibmodbusBuilt())
        rows.push_back(peer.Failed(QStringLiteral("not built")));
    else if (static_cast<int>(peerTimes.size()) != plan.Runs)
        rows.push_back(peer.Failed(QStringLiteral("libmodbus reads failed")));
    else
        rows.push_back(peer.Against(Summarize(peerTimes).Median, QStringLiteral("libmodbus")));
    Progress(rows.back());
}

} // namespace

std::vector<Row> RunLineCases(const Plan& plan) {
    std::vector<Row> rows;
    for (const std::uint32_t baud : plan.Bauds) {
        for (const KindCase& kind : {Std, Power, Drive, Orca})
            KindCases(plan, baud, kind, rows);
        SingleReadCases(plan, baud, Std, rows);
        SingleReadCases(plan, baud, Orca, rows);
    }
    return rows;
}

} // namespace kelm::bench
