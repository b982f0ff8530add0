#include "FileTestSupport.h"

#include "core/files/DeviceFile.h"
#include "core/files/ProfilesFile.h"
#include "core/files/ScopeFile.h"

#include <QDir>
#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
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
    explicit NoNewFiles(const QString& folder)
        : fd(open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY)) {
        int immutable = 0;
        active = root ? ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                            ioctl(fd, FS_IOC_SETFLAGS, &(immutable = flags | FS_IMMUTABLE_FL)) == 0
                      : fchmod(fd, 0555) == 0;
    }
    ~NoNewFiles() {
        if (active)
            root ? ioctl(fd, FS_IOC_SETFLAGS, &flags) : fchmod(fd, 0755);
        close(fd);
    }
    const bool root = geteuid() == 0;
    int fd, flags = 0;
    bool active = false;
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

class SaveFailureTest : public FileTest {
protected:
    QStringList Entries() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }
};

} // namespace

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
    bool saved[3] = {true, true, true};
    {
        FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.active);
        saved[0] = SaveDeviceFile(big, DeviceKind::Std, Path("a.dev"));
        saved[1] = SaveProfilesFile(profiles, Path("p.bcp"));
        saved[2] = WriteScopeFile(recording, Path("s.kls"));
    }
    EXPECT_FALSE(saved[0] || saved[1] || saved[2]);
    EXPECT_EQ((QList<QByteArray>{ReadBytes(Path("a.dev")), ReadBytes(Path("p.bcp")),
                                 ReadBytes(Path("s.kls"))}),
              (QList<QByteArray>{old, "old profiles", "old scope"}));
    EXPECT_EQ(messages.Texts(), (QStringList{"Unable save Device: " + Path("a.dev"),
                                             "Unable save Profiles: " + Path("p.bcp"),
                                             "Unable save: " + Path("s.kls")}));
    for (const ParamEntry& e : big)
        ASSERT_EQ(e.FileValue, -7);
    for (const ParamEntry& e : profiles)
        ASSERT_EQ(e.FileValue, 0);
    EXPECT_EQ(Entries(), (QStringList{"a.dev", "p.bcp", "s.kls"})); // no temporary file left
}

TEST_F(SaveFailureTest, WritableFileInFolderTakingNoNewFilesIsStillSaved) {
    // Saving creates or truncates the chosen file: a folder where no temporary file can be
    // created beside it must not stop the save of a writable file.
    ASSERT_TRUE(QDir(dir.path()).mkdir("locked"));
    const QString device = Path("locked/a.dev"), scope = Path("locked/s.kls");
    WriteBytes(device, "old");
    WriteBytes(scope, "old");
    ParamTable table = BigTable(2);
    bool savedDevice = false, savedScope = false;
    {
        NoNewFiles lock(Path("locked"));
        if (!lock.active || QFile(Path("locked/probe")).open(QIODevice::WriteOnly))
            GTEST_SKIP() << "cannot stop new files in a folder here";
        savedDevice = SaveDeviceFile(table, DeviceKind::Std, device, FixedStamp());
        savedScope = WriteScopeFile(ScopeRecording{}, scope);
        // A file that does not exist yet cannot be created there either.
        EXPECT_FALSE(SaveDeviceFile(table, DeviceKind::Std, Path("locked/new.dev")));
    }
    EXPECT_TRUE(savedDevice && savedScope);
    EXPECT_TRUE(ReadBytes(device).endsWith("Param1\t1\t1\r\n"));
    EXPECT_TRUE(ReadBytes(scope).startsWith("Kelm Industries\r\nOscilloscope Data File\r\n"));
    EXPECT_EQ(messages.Texts(), QStringList{"Unable save Device: " + Path("locked/new.dev")});
    EXPECT_EQ(QDir(Path("locked")).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"a.dev", "s.kls"}));
}
