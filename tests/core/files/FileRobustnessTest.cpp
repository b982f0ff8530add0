// The data file readers against input that is not what they expect: endless or huge files,
// folders (random bytes are the fuzz targets' part); the writers against a disk that takes
// only part of a file.
#include "FileTestSupport.h"

#include "core/files/Comparison.h"
#include "core/files/DeviceFile.h"
#include "core/files/ProfilesFile.h"
#include "core/files/ScopeFile.h"
#include "core/seams/RecordingMessages.h"
#include "core/text/InputFile.h"

#include <QDir>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <memory>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kelm;
using namespace kelm::testing;

namespace {

// Limits the size of any file this process writes, so that a write fails part-way
// (EFBIG) even for root, who ignores permissions. Restored on destruction.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) : handler(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &previous);
        rlimit limit{bytes, previous.rlim_max};
        active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, handler);
    }
    void (*handler)(int);
    rlimit previous{};
    bool active = false;
};

// Makes a folder take no new files while its files stay writable: immutable for root (who
// ignores permissions), read-only for anyone else. Restored on destruction.
struct NoNewFiles {
    explicit NoNewFiles(const QString& folder) : path(QFile::encodeName(folder)) {
        int immutable = 0;
        if (geteuid() != 0)
            active = readOnly = chmod(path.constData(), 0555) == 0;
        else
            active = Flags(FS_IOC_GETFLAGS, flags) &&
                     Flags(FS_IOC_SETFLAGS, immutable = flags | FS_IMMUTABLE_FL);
    }
    ~NoNewFiles() {
        if (readOnly)
            chmod(path.constData(), 0755);
        else if (active)
            Flags(FS_IOC_SETFLAGS, flags);
    }
    bool Flags(unsigned long request, int& value) const {
        const int fd = open(path.constData(), O_RDONLY | O_DIRECTORY);
        const bool ok = fd >= 0 && ioctl(fd, request, &value) == 0;
        if (fd >= 0)
            close(fd);
        return ok;
    }
    QByteArray path;
    int flags = 0;
    bool readOnly = false, active = false;
};

ParamTable BigTable(int count) {
    ParamTable table;
    for (int a = 0; a < count; ++a) {
        ParamEntry e = MakeEntry(static_cast<std::uint16_t>(a), QString("Param%1").arg(a));
        e.Value = static_cast<std::int16_t>(a);
        table.Add(e);
    }
    return table;
}

using SaveFailureTest = FileTest;
const QString TooLarge = "\r" + QString::fromLocal8Bit(std::strerror(EFBIG)) + ".";

} // namespace

// What a file dialog can hand over that is no file to read: each reader refuses it at once
// with one message saying why, instead of waiting on a pipe or reading without end.
TEST(FileRobustnessTest, NonFilesAreRefusedAtOnceWithOneMessage) {
    QTemporaryDir dir;
    const QString pipe = dir.filePath("pipe.dev"), urandom = dir.filePath("random.dev");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/urandom", urandom)); // endless, behind a link
    QFile huge(dir.filePath("huge.dev"));              // sparse: nothing is written
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(MaxInputFileBytes + 1));
    const std::pair<QString, QString> inputs[] = {{dir.path(), "\rIt is a folder."},
                                                  {pipe, "\rIt is a FIFO (named pipe)."},
                                                  {urandom, "\rIt is a device."},
                                                  {huge.fileName(), "\rIt is larger than 16 MB."}};
    // clang-format off
    const std::function<bool(const QString&)> readers[] = {
        [](const QString& p) { ParamTable t; return OpenDeviceFile(t, DeviceKind::Std, p, false); },
        [](const QString& p) { ParamTable t = ParamTable::MakeSynthetic("P", 256, 831); return OpenProfilesFile(t, p); },
        [](const QString& p) { ScopeRecording r; return ReadScopeFile(p, r).Ok; },
        [](const QString& p) { Comparison().Load(ParamTable{}, DeviceKind::Std, {}, p); return false; }};
    // clang-format on
    for (const auto& [path, reason] : inputs) {
        for (const auto& read : readers) {
            RecordingMessages messages;
            EXPECT_FALSE(read(path));
            ASSERT_EQ(messages.Texts().size(), 1) << path.toStdString();
            EXPECT_TRUE(messages.Texts().first().endsWith(path + reason))
                << messages.Texts().first().toStdString();
        }
    }
}

TEST_F(SaveFailureTest, WritesFailingPartWayKeepOldFilesAndFileColumn) {
    // Replacing an existing longer file leaves only the new content.
    WriteBytes(Path("a.dev"), QByteArray(300, '.'));
    ParamTable small = BigTable(3);
    ASSERT_TRUE(SaveDeviceFile(small, DeviceKind::Std, Path("a.dev")));
    const QByteArray old = ReadBytes(Path("a.dev"));
    EXPECT_TRUE(old.startsWith("Kelm Industries\r\n") && old.endsWith("Param2\t2\t2\r\n"));
    WriteBytes(Path("p.bcp"), "old profiles");
    WriteBytes(Path("s.kls"), "old scope");
    ParamTable big = BigTable(4000); // about 60 KB
    for (ParamEntry& e : big)
        e.FileValue = -7;
    ParamTable profiles = ParamTable::MakeSynthetic("P", 256, 831);
    ScopeRecording recording;
    recording.Points.resize(5000, ScopePoint{1.5, -2.25, 3});
    auto limit = std::make_unique<FileSizeLimit>(4096);
    ASSERT_TRUE(limit->active);
    const bool saved[] = {SaveDeviceFile(big, DeviceKind::Std, Path("a.dev")),
                          SaveProfilesFile(profiles, Path("p.bcp")),
                          WriteScopeFile(recording, Path("s.kls"))};
    limit.reset();
    EXPECT_FALSE(saved[0] || saved[1] || saved[2]);
    EXPECT_EQ((QList<QByteArray>{ReadBytes(Path("a.dev")), ReadBytes(Path("p.bcp")),
                                 ReadBytes(Path("s.kls"))}),
              (QList<QByteArray>{old, "old profiles", "old scope"}));
    // The system's reason for the failure follows on a line of its own.
    EXPECT_EQ(messages.Texts(), (QStringList{"Unable save Device: " + Path("a.dev") + TooLarge,
                                             "Unable save Profiles: " + Path("p.bcp") + TooLarge,
                                             "Unable save: " + Path("s.kls") + TooLarge}))
        << qPrintable(messages.Texts().join('|'));
    for (const ParamEntry& e : big)
        ASSERT_EQ(e.FileValue, -7);
    for (const ParamEntry& e : profiles)
        ASSERT_EQ(e.FileValue, 0);
    // No temporary file is left.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"a.dev", "p.bcp", "s.kls"}));
}

// Saving creates or truncates the chosen file: a folder where no temporary file can be
// created beside it must not stop the save of a writable file.
TEST_F(SaveFailureTest, WritableFileInFolderTakingNoNewFilesIsStillSaved) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("locked"));
    const QString device = Path("locked/a.dev"), scope = Path("locked/s.kls");
    WriteBytes(device, "old");
    WriteBytes(scope, "old");
    ParamTable table = BigTable(2);
    auto lock = std::make_unique<NoNewFiles>(Path("locked"));
    if (!lock->active || QFile(Path("locked/probe")).open(QIODevice::WriteOnly))
        GTEST_SKIP() << "cannot stop new files in a folder here";
    const bool saved[] = {SaveDeviceFile(table, DeviceKind::Std, device, FixedStamp()),
                          WriteScopeFile(ScopeRecording{}, scope),
                          SaveDeviceFile(table, DeviceKind::Std, Path("locked/new.dev"))};
    lock.reset();
    EXPECT_TRUE(saved[0] && saved[1] && !saved[2]);
    EXPECT_TRUE(ReadBytes(device).endsWith("Param1\t1\t1\r\n"));
    EXPECT_TRUE(ReadBytes(scope).startsWith("Kelm Industries\r\nOscilloscope Data File\r\n"));
    ASSERT_EQ(messages.Texts().size(), 1);
    EXPECT_TRUE(
        messages.Texts()[0].startsWith("Unable save Device: " + Path("locked/new.dev") + "\r"))
        << qPrintable(messages.Texts()[0]);
    EXPECT_EQ(QDir(Path("locked")).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"a.dev", "s.kls"}));
}
