#include "cli/DriveSession.h"
#include "cli/Output.h"

#include "cli/Stopping.h"
#include "core/common/KindDescriptor.h"
#include "core/drive/DriveIdentity.h"
#include "core/drive/DriveOwnedRegisters.h"
#include "core/drive/LinkIdentification.h"
#include "core/drive/TableTransfer.h"
#include "core/rules/UnitIdentity.h"
#include "core/seams/Messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace kelm::cli {
namespace {

std::optional<DeviceKind> ParseKind(const QString& word) {
    const QString w = word.toLower();
    if (w == QLatin1String("std"))
        return DeviceKind::Std;
    if (w == QLatin1String("power"))
        return DeviceKind::Power;
    if (w == QLatin1String("drive"))
        return DeviceKind::Drive;
    if (w == QLatin1String("orca230"))
        return DeviceKind::Orca230;
    return std::nullopt;
}

// The progress line of a transfer on stderr, only when stderr is a terminal.
class ProgressLine {
public:
    ProgressLine(QString label, int total)
        : label_(std::move(label)), total_(total), shown_(isatty(STDERR_FILENO) != 0) {}
    int Count() const { return count_; }
    void Step() {
        ++count_;
        if (shown_ && (count_ % 16 == 0 || count_ == total_))
            std::fprintf(stderr, "\r%s: %d/%d", Local(label_).constData(), count_, total_);
    }
    void End() {
        if (shown_ && count_ > 0)
            std::fprintf(stderr, "\n");
    }

private:
    QString label_;
    int total_;
    int count_ = 0;
    bool shown_;
};

// What the drive is, for the line refusing a --kind.
QString KindDescription(DeviceKind kind) {
    return QString::fromLatin1(Describe(kind).Description);
}

} // namespace

QByteArray Local(const QString& text) {
    return text.toLocal8Bit();
}

const char* KindWord(DeviceKind kind) {
    return Describe(kind).Word;
}

DriveSession::~DriveSession() {
    if (driver_ && wasOnline_ && !driver_->Online())
        ReportNoAnswer(master_->UnitAddress(), portText_);
    NoteUnsavedWrites(unsaved_.Count());
}

void DriveSession::AddOptions(CommandLine& line) {
    line.AddValue(QStringLiteral("kind"), QStringLiteral("K"),
                  QStringLiteral("std, power, drive or orca230 (default: what the drive is)."));
}

int DriveSession::Open(const CommandLine& line) {
    if (line.IsSet(QStringLiteral("kind"))) {
        const QString word = line.Value(QStringLiteral("kind"));
        const auto parsed = ParseKind(word);
        if (!parsed)
            return CommandLine::Complain(
                QStringLiteral("bad kind: %1 (std, power, drive or orca230)").arg(word));
        requested_ = *parsed;
    }
    words_ = line.Positional();
    connection_ = line.Connection();
    return 0;
}

int DriveSession::OpenDriver() {
    if (!devices_.isValid()) {
        std::fprintf(stderr, "kelmctl: cannot create a temporary folder\n");
        return 1;
    }
    master_ = OpenConnection(connection_, &portText_);
    if (!master_)
        return 1;
    driver_ = std::make_unique<TDriver>(host_, *master_);
    host_.SetDriver(driver_.get());
    // The run's writes go to the user's journal as one change named by the command line.
    journal_ = std::make_unique<WriteJournal>(
        Journal::Options{JournalPath()}, QStringLiteral("kelmctl"),
        [this](const UnitInUse& unit) { return JournalContextOf(unit, identity_, {}, portText_); },
        [](const QString& note) {
            std::fprintf(stderr, "kelmctl: %s\n", Local(note).constData());
        });
    journal_->GroupUnscopedAs(QStringLiteral("kelmctl ") +
                              QCoreApplication::arguments().mid(1).join(QLatin1Char(' ')));
    driver_->SetWriteRecorder([this](const WriteRecord& record) { journal_->Record(record); });
    driver_->AddWriteRecorder([this](const WriteRecord& record) { unsaved_.Record(record); });
    const QString install = QCoreApplication::applicationDirPath() + QStringLiteral("/");
    ClearTerminateRequest();
    if (!driver_->Initialize(install, devices_.path() + QStringLiteral("/Devices/")))
        return 1;
    if (connection_.Address == 0) {
        std::fprintf(stderr, "kelmctl: the device address must not be 0\n");
        return 1;
    }
    return 0;
}

int DriveSession::Connect() {
    if (const int code = OpenDriver())
        return code;
    const auto found = Identify();
    if (!found)
        return 1;
    if (requested_ && *requested_ != *found) {
        std::fprintf(stderr,
                     "kelmctl: --kind %s does not match the drive: address %u on %s is %s "
                     "(--kind %s)\n",
                     KindWord(*requested_), unsigned(connection_.Address),
                     Local(portText_).constData(), Local(KindDescription(*found)).constData(),
                     KindWord(*found));
        return 1;
    }
    kind_ = *found;
    driver_->SelectDeviceKind(kind_, false);
    master_->SelectUnit(connection_.Address);
    driver_->SetOnline(master_->IsLinkReady());
    wasOnline_ = driver_->Online();
    // The identity the journal names the run's writes by, read once as the program reads it.
    if (wasOnline_) {
        ReadIdentityRegisters(*driver_);
        identity_ = IdentityOf(kind_, driver_->ActiveTable());
    }
    // Stopped during the identification: nothing of the command has been sent yet.
    return StopRequested() ? 1 : 0;
}

bool DriveSession::AwaitLine(int limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!StopRequested()) {
        // The lost line closed the port: open it again, then one quiet read.
        if (!master_->IsPortOpen())
            master_->ReopenPort();
        std::uint16_t word = 0;
        if (master_->IsPortOpen() && master_->ReadRegisters(0, &word, 1, 100, false)) {
            driver_->SetOnline(true);
            return true;
        }
        if (clock.elapsed() >= limitMs)
            break;
        PauseUnlessStopped(200);
    }
    return false;
}

QString DriveSession::KindText() const {
    return QString::fromLatin1(Describe(kind_).Text);
}

int DriveSession::ConnectTo(const char* feature) {
    if (const int code = Connect())
        return code;
    if (kind_ == DeviceKind::Power) {
        std::fprintf(stderr, "kelmctl: the Tarn Power unit has no %s\n", feature);
        return 1;
    }
    return 0;
}

bool DriveSession::Transfer(bool write, TransferTarget target, const QString& label, int* steps) {
    ParamTable& table =
        target == TransferTarget::Profiles ? driver_->ProfileTable() : driver_->ActiveTable();
    ProgressLine progress(label + QString::number(master_->UnitAddress()), table.Count());
    auto onProgress = [&progress] { progress.Step(); };
    const TransferEnd end = AwaitTransfer(
        *driver_,
        [&](TDriver::Callback onDone) {
            if (write)
                driver_->StartWrite(target, onProgress, std::move(onDone));
            else
                driver_->StartRead(target, onProgress, std::move(onDone));
            return true;
        },
        [this] {
            const WorkerMode mode = driver_->Mode();
            return mode == WorkerMode::TableRead || mode == WorkerMode::TableWrite;
        });
    const bool done = end.Done, stopped = end.Stopped;
    progress.End();
    if (steps != nullptr)
        *steps = progress.Count();
    if (stopped && !done && driver_->Online()) {
        const int count = progress.Count();
        if (!write) {
            ShowError(PartialReadText(count, table.Count()));
        } else {
            // What the whole-table write sends: the drive's own registers are read back.
            const auto sent = [&](const ParamEntry& entry) {
                return target == TransferTarget::Profiles
                           ? entry.SentByTableWrite()
                           : IsSentByTableWrite(driver_->CurrentKind(), entry);
            };
            const auto firstUnsent = table.begin() + std::min(count, table.Count());
            const auto written = std::count_if(table.begin(), firstUnsent, sent);
            const auto total = std::count_if(table.begin(), table.end(), sent);
            ShowError(TableTransfer::PartialWriteText(static_cast<int>(written),
                                                      static_cast<int>(total)));
        }
    }
    return done && !stopped && driver_->Online();
}

std::optional<DeviceKind> DriveSession::Identify() {
    if (!connection_.LinkMode)
        return DeviceKind::Std;
    driver_->SelectDeviceKind(DeviceKind::Power, false);
    const LinkIdentity link = IdentifyLink(*driver_);
    if (!link.Answered) {
        ReportNoAnswer(link.PowerAddress, portText_);
        return std::nullopt;
    }
    const auto kind = LinkUnitKind(link, connection_.Address);
    if (!kind) {
        const QString units =
            link.Orca
                ? QStringLiteral("a Tarn Orca 230 at address %1").arg(LinkIdentity::OrcaAddress)
                : QStringLiteral("the Tarn Power unit at address %1 and %2 Drive units "
                                 "above it")
                      .arg(link.PowerAddress)
                      .arg(link.DriveUnits);
        std::fprintf(stderr, "kelmctl: no unit at address %u on %s: the link has %s\n",
                     unsigned(connection_.Address), Local(portText_).constData(),
                     Local(units).constData());
    }
    return kind;
}

std::optional<int> Prepare(DriveSession& session, CommandLine& line, const QStringList& arguments,
                           int count) {
    DriveSession::AddOptions(line);
    if (const auto exit = line.Parse(arguments))
        return exit;
    if (const int code = session.Open(line))
        return code;
    if (line.Positional().size() != count)
        return line.Usage();
    return std::nullopt;
}

void AddTimeoutOption(CommandLine& line, int fallback) {
    line.AddValue(QStringLiteral("timeout"), QStringLiteral("S"),
                  QStringLiteral("Time limit in seconds (0 to %1, default %2, 0 = no limit).")
                      .arg(MaxTimeoutS)
                      .arg(fallback));
}

} // namespace kelm::cli
