#include "core/journal/Journal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kelm {

namespace {

// An open descriptor, closed when the holder goes.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }

private:
    int fd_;
};

// An exclusive lock on the journal's lock file for as long as it lives.
class JournalLock {
public:
    explicit JournalLock(const QString& path)
        : file_(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        locked_ = file_.Valid() && ::flock(file_.Get(), LOCK_EX) == 0;
    }
    ~JournalLock() {
        if (locked_)
            ::flock(file_.Get(), LOCK_UN);
    }
    JournalLock(const JournalLock&) = delete;
    JournalLock& operator=(const JournalLock&) = delete;
    bool Held() const { return locked_; }

private:
    Descriptor file_;
    bool locked_ = false;
};

QString SystemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool WriteAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// The largest change number among the last lines of a file (0 when none is readable).
std::uint64_t LastChangeIn(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    constexpr qint64 TailBytes = 64 * 1024;
    file.seek(std::max<qint64>(0, file.size() - TailBytes));
    std::uint64_t last = 0;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines)
        if (const auto entry = FromJsonLine(line))
            last = std::max(last, entry->Change);
    return last;
}

} // namespace

Journal::Journal(Options options) : options_(std::move(options)) {}

QString Journal::FilePath(int generation) const {
    if (generation == 0)
        return options_.Path;
    QString path = options_.Path;
    const QString suffix = QStringLiteral(".jsonl");
    if (path.endsWith(suffix))
        path.chop(suffix.size());
    return path + QStringLiteral(".%1").arg(generation) + suffix;
}

bool Journal::Fail(const QString& what) {
    error_ = QStringLiteral("%1 %2: %3").arg(what, options_.Path, SystemError());
    return false;
}

bool Journal::Rotate() {
    const int oldest = options_.KeepFiles - 1;
    QFile::remove(FilePath(oldest));
    for (int generation = oldest - 1; generation >= 0; --generation)
        if (QFile::exists(FilePath(generation)) &&
            !QFile::rename(FilePath(generation), FilePath(generation + 1)))
            return Fail(QStringLiteral("Cannot rotate"));
    return true;
}

std::uint64_t Journal::LastChange() const {
    // The newest number is in the current file, or in the last rotated one just after a
    // rotation.
    for (int generation = 0; generation < options_.KeepFiles; ++generation)
        if (const std::uint64_t last = LastChangeIn(FilePath(generation)); last != 0)
            return last;
    return 0;
}

bool Journal::Append(JournalEntry& entry) {
    if (!QDir().mkpath(QFileInfo(options_.Path).absolutePath()))
        return Fail(QStringLiteral("Cannot create the folder of"));
    const JournalLock lock(options_.Path + QStringLiteral(".lock"));
    if (!lock.Held())
        return Fail(QStringLiteral("Cannot lock"));
    if (entry.Change == 0)
        entry.Change = LastChange() + 1;
    const QByteArray line = ToJsonLine(entry);
    const QFileInfo current(options_.Path);
    if (options_.KeepFiles > 1 && current.exists() && current.size() > 0 &&
        current.size() + line.size() > options_.RotateBytes && !Rotate())
        return false;
    const Descriptor file(::open(QFile::encodeName(options_.Path).constData(),
                                 O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600));
    if (!file.Valid())
        return Fail(QStringLiteral("Cannot open"));
    if (!WriteAll(file.Get(), line))
        return Fail(QStringLiteral("Cannot write"));
    error_.clear();
    return true;
}

bool Journal::Flush() {
    const Descriptor file(
        ::open(QFile::encodeName(options_.Path).constData(), O_WRONLY | O_APPEND | O_CLOEXEC));
    if (!file.Valid() || ::fdatasync(file.Get()) != 0)
        return Fail(QStringLiteral("Cannot flush"));
    return true;
}

Journal::Listing Journal::Read() const {
    Listing listing;
    for (int generation = options_.KeepFiles - 1; generation >= 0; --generation) {
        QFile file(FilePath(generation));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        int number = 0;
        while (!file.atEnd()) {
            const QByteArray line = file.readLine();
            ++number;
            if (line.trimmed().isEmpty())
                continue;
            if (auto entry = FromJsonLine(line))
                listing.Entries.push_back(std::move(*entry));
            else
                listing.Skipped.append(QStringLiteral("%1 line %2: not a journal entry, skipped")
                                           .arg(QFileInfo(file).fileName())
                                           .arg(number));
        }
    }
    return listing;
}

} // namespace kelm
